#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kerfwright::text {
namespace {

struct ParseCase {
    std::string_view token;
    double expected;
};

TEST(NumberTextParse, AcceptsWhatStrtodConsumesWhole) {
    const ParseCase cases[] = {
        {"1", 1.0},          {"+2", 2.0},          {"-3.25", -3.25},   {".5", 0.5},
        {"5.", 5.0},         {"-.5e+2", -50.0},    {"1e0", 1.0},       {"1E5", 100000.0},
        {"0x10", 16.0},      {"0X1p4", 16.0},      {"-0x.8", -0.5},    {"0.1", 0.1},
        {"007", 7.0},        {"1e-3", 0.001},      {"123456789012345678901234567890", 1.2345678901234568e29},
    };
    for (const ParseCase& c : cases) {
        const std::optional<double> value = parseWholeNumber(c.token);
        ASSERT_TRUE(value.has_value()) << c.token;
        EXPECT_EQ(*value, c.expected) << c.token;
    }
}

TEST(NumberTextParse, KeepsTheSignOfZero) {
    const std::optional<double> negative = parseWholeNumber("-0");
    ASSERT_TRUE(negative.has_value());
    EXPECT_TRUE(std::signbit(*negative));
    const std::optional<double> negativeTiny = parseWholeNumber("-1e-400");
    ASSERT_TRUE(negativeTiny.has_value());
    EXPECT_EQ(*negativeTiny, 0.0);
    EXPECT_TRUE(std::signbit(*negativeTiny));
    const std::optional<double> positiveTiny = parseWholeNumber("1e-400");
    ASSERT_TRUE(positiveTiny.has_value());
    EXPECT_FALSE(std::signbit(*positiveTiny));
}

TEST(NumberTextParse, OverflowAndUnderflowStillConvert) {
    EXPECT_EQ(parseWholeNumber("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseWholeNumber("+1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseWholeNumber("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseWholeNumber("5e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(parseWholeNumber("4e-320"), 4e-320);
}

TEST(NumberTextParse, AcceptsWordsInAnyCase) {
    for (std::string_view word : {"inf", "INF", "Infinity", "+inf", "-iNfInItY"}) {
        const std::optional<double> value = parseWholeNumber(word);
        ASSERT_TRUE(value.has_value()) << word;
        EXPECT_TRUE(std::isinf(*value)) << word;
        EXPECT_EQ(std::signbit(*value), word.front() == '-') << word;
    }
    for (std::string_view word : {"nan", "NaN", "-nan", "nan(123)", "NAN(abc_9)"}) {
        const std::optional<double> value = parseWholeNumber(word);
        ASSERT_TRUE(value.has_value()) << word;
        EXPECT_TRUE(std::isnan(*value)) << word;
    }
}

TEST(NumberTextParse, RejectsPartialOrPaddedText) {
    using namespace std::string_view_literals;
    const std::string_view rejected[] = {
        ""sv,     " 1"sv,   "\t1"sv,  "\n1"sv,   "1 "sv,     "1,5"sv,   "+-1"sv,  "-+1"sv,
        "--1"sv,  "-"sv,    "+"sv,    "."sv,     "-."sv,     "e5"sv,    "1e"sv,   "1e+"sv,
        "1.5.5"sv, "0x"sv,  "infx"sv, "in"sv,    "nan("sv,   "1\0"sv,   "1\0 2"sv, "abc"sv,
        "1_000"sv, "\xD9\xA3"sv, "1e5e"sv,
    };
    for (std::string_view token : rejected) {
        EXPECT_FALSE(parseWholeNumber(token).has_value()) << '"' << token << '"';
    }
}

std::string printfG(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string appendedG(double value) {
    std::string out = "x";
    appendPrintfG(out, value);
    return out.substr(1);
}

TEST(NumberTextPrintfG, MatchesTheCLibraryOnBoundaries) {
    const double values[] = {
        0.0,        -0.0,      1.0,        -1.0,       0.1,         123456.0,   999999.0,  999999.5,
        1000000.0,  1234567.0, 0.0001,     0.00009999995, 0.000099999, 1e-5,     1.5e-7,    123456.5,
        12.3456789, 1e100,     -1e-100,    5e-324,     1.7976931348623157e308, 0.5,  2.5,   9.9999949999,
        9.9999950001, 100000.0, 1e15,      1e16,       0.30000000000000004,
    };
    for (double value : values) EXPECT_EQ(appendedG(value), printfG(value)) << printfG(value);
}

TEST(NumberTextPrintfG, MatchesTheCLibraryOnRandomValues) {
    std::mt19937_64 generator(20240531);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(generator) * std::pow(10.0, exponent(generator));
        ASSERT_EQ(appendedG(value), printfG(value)) << printfG(value);
    }
}

TEST(NumberTextPrintfG, SpecialValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(appendedG(nan), "nan");
    EXPECT_EQ(appendedG(-nan), "nan");
    EXPECT_EQ(appendedG(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(appendedG(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(appendedG(-0.0), "-0");
}

struct TextCase {
    double value;
    std::string_view expected;
};

TEST(NumberTextDescribe, PlainWithPointZeroOrExponentForm) {
    const TextCase cases[] = {
        {3.0, "3.0"},
        {-0.5, "-0.5"},
        {100.0, "100.0"},
        {0.0001, "0.0001"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {12.5, "12.5"},
        {0.1, "0.1"},
        {0.30000000000000004, "0.30000000000000004"},
        {1234567890123456.0, "1234567890123456.0"},
        {1e15, "1000000000000000.0"},
        {1e16, "1e+16"},
        {0.00001, "1e-05"},
        {0.00012, "0.00012"},
        {1.5e-7, "1.5e-07"},
        {1e100, "1e+100"},
        {5e-324, "5e-324"},
        {1.2345678901234568e20, "1.2345678901234568e+20"},
        {-2.5e-300, "-2.5e-300"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(describeNumber(c.value), c.expected);
}

TEST(NumberTextShortest, ReadsBackExactly) {
    const TextCase cases[] = {
        {5.0, "5"},
        {0.1, "0.1"},
        {1e20, "1e+20"},
        {-0.0, "-0"},
        {-12.75, "-12.75"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(shortestRoundTrip(c.value), c.expected);
    for (double value : {0.1, 1.0 / 3.0, 6.02214076e23, 4.9e-324, -123.456}) {
        EXPECT_EQ(parseWholeNumber(shortestRoundTrip(value)), value);
    }
}

}  // namespace
}  // namespace kerfwright::text
