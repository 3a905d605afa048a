#include "text/float_conversions.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kerfwright::text {
namespace {

// The doubles where shortest digits are hardest to get right, then random
// bit patterns and random path coordinates.
std::vector<double> awkwardValues() {
    std::vector<double> values = {0.0, -0.0, std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                                  0.1, 0.3, 2.0 / 3.0, 1e15, 1e16, 1e-4, 1e-5, 123456.0, 1234567.0, 9.5, 0.05};
    // Every power of two: below each, the doubles lie twice as close as above.
    for (int exponent = -1074; exponent <= 1023; ++exponent) values.push_back(std::ldexp(1.0, exponent));
    // Powers of ten and their neighbours, where the digit count steps.
    for (int exponent = -320; exponent <= 308; ++exponent) {
        const double power = std::pow(10.0, exponent);
        values.push_back(power);
        values.push_back(std::nextafter(power, 0.0));
        values.push_back(std::nextafter(power, std::numeric_limits<double>::infinity()));
    }
    std::mt19937_64 generator(20261208);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::bit_cast<double>(generator());
        if (std::isfinite(value)) values.push_back(value);
    }
    std::uniform_int_distribution<std::int64_t> units(-100000000, 100000000);
    for (int i = 0; i < 20000; ++i) values.push_back(static_cast<double>(units(generator)) / 10000.0);
    return values;
}

template <typename... Format>
std::string standard(double value, Format... format) {
    char buffer[400];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, format...).ptr);
}

template <typename Function, typename... Arguments>
std::string appended(Function function, double value, Arguments... arguments) {
    std::string out = "x";
    function(out, value, arguments...);
    return out.substr(1);
}

// The stand-ins for to_chars give its text exactly, so that a build without
// floating-point to_chars writes the same bytes.
TEST(PortableFloatConversions, GiveWhatToCharsGives) {
    for (const double value : awkwardValues()) {
        ASSERT_EQ(appended(portable::appendShortest, value), standard(value)) << standard(value);
        ASSERT_EQ(appended(portable::appendShortestScientific, value), standard(value, std::chars_format::scientific));
        for (const int precision : {1, 6, 17}) {
            ASSERT_EQ(appended(portable::appendGeneral, value, precision),
                      standard(value, std::chars_format::general, precision))
                << standard(value);
        }
        if (std::fabs(value) < 1e30) {
            ASSERT_EQ(appended(portable::appendFixed, value, 1), standard(value, std::chars_format::fixed, 1));
        }
    }
}

// fast_float against the C library's strtod, on the texts strtod is asked to read.
TEST(ReadDecimal, ReadsAsStrtodReads) {
    std::mt19937_64 generator(7);
    std::vector<std::string> texts = {"0", "-0", "1e400", "-1e400", "1e-400", "2.4703282292062328e-324",
                                      "2.4703282292062327e-324", "4.9406564584124654e-324", ".5", "5.", "-.5e-3",
                                      "1.7976931348623158e308", "1.7976931348623159e308",
                                      "123456789012345678901234567890",
                                      "0.000000000000000000000000000000000000000001e42", "inf", "-Infinity", "nan"};
    for (const double value : awkwardValues()) texts.push_back(standard(value, std::chars_format::general, 17));
    for (int i = 0; i < 2000; ++i) texts.push_back(std::to_string(generator() % 1000000) + "." +
                                                   std::to_string(generator()) + "e" +
                                                   std::to_string(static_cast<int>(generator() % 40) - 20));
    for (const std::string& text : texts) {
        const DecimalRead read = readDecimal(text.data(), text.data() + text.size());
        ASSERT_EQ(read.end, text.data() + text.size()) << text;
        const double expected = std::strtod(text.c_str(), nullptr);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(read.value)) << text;
        } else {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(read.value), std::bit_cast<std::uint64_t>(expected)) << text;
        }
    }
}

}  // namespace
}  // namespace kerfwright::text
