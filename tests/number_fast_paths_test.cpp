// The short ways of reading and writing the usual numbers must give exactly
// what the general ways give: the byte-for-byte output depends on it.

#include <gtest/gtest.h>

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/path_parser.h"
#include "text/number_text.h"
#include "text/svg_format.h"
#include "support/formatted.h"

namespace kerfwright {
namespace {

// SplitMix64, for inputs that are the same on every run.
struct Sequence {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    // One to `longest` characters, each drawn from the alphabet.
    std::string text(std::size_t longest, std::string_view alphabet) {
        std::string out;
        const std::size_t length = 1 + next() % longest;
        for (std::size_t k = 0; k < length; ++k) out += alphabet[next() % alphabet.size()];
        return out;
    }
};

// The number format spelled out the general way: round to the places, then
// a whole value as an integer and anything else as printf's "%g" would.
std::string generalNum(double value, int precision) {
    if (std::isnan(value)) return "nan";
    const double scale = std::pow(10.0, precision);
    const double rounded = std::round(value * scale) / scale;
    if (rounded == std::round(rounded) && std::fabs(rounded) < 9e18) {
        return std::to_string(static_cast<std::int64_t>(rounded));
    }
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, rounded, std::chars_format::general, 6).ptr;
    return std::string(text, end);
}

TEST(NumberFastPaths, WrittenNumbersMatchTheGeneralFormat) {
    Sequence random{1};
    for (int precision = 1; precision <= 5; ++precision) {
        const double scale = std::pow(10.0, precision);
        for (int i = 0; i < 20000; ++i) {
            const double magnitude = std::pow(10.0, random.unit() * 14 - 7);
            const double units = std::floor(random.unit() * 1e10);
            const double sixDigitTie = (std::floor(random.unit() * 1e6) * 10 + 5) / std::pow(10.0, 1 + random.next() % 5);
            const double values[] = {
                (random.unit() - 0.5) * magnitude,
                (units + 0.5) / scale,  // ties when rounding to the places
                -(units + 0.5) / scale,
                std::nextafter((units + 0.5) / scale, 0.0),
                std::nextafter(units / scale, 1e300),
                sixDigitTie,  // ties when rounding to six digits
                -sixDigitTie,
                std::nextafter(sixDigitTie, 0.0),
            };
            for (double value : values) {
                ASSERT_EQ(testing::num(value, precision), generalNum(value, precision))
                    << "value " << value << " precision " << precision;
            }
        }
    }
}

TEST(NumberFastPaths, ReadNumbersMatchStrtodInTheCLocale) {
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    Sequence random{2};
    for (int i = 0; i < 200000; ++i) {
        const std::string token = random.text(18, "0123456789012345678901234567890123456789..-");
        char* end = nullptr;
        const double expected = strtod_l(token.c_str(), &end, cLocale);
        const bool whole = end == token.c_str() + token.size();
        const std::optional<double> read = text::parseNumberToken(token);
        ASSERT_EQ(read.has_value(), whole) << token;
        // Compared bit for bit, so that -0 and 0 differ.
        if (read) {
            ASSERT_EQ(std::memcmp(&*read, &expected, sizeof expected), 0) << token;
        }
    }
    freelocale(cLocale);
}

// Path data that is all ASCII reads its usual numbers as it finds them; the
// same data with a trailing no-break space takes the general way.
TEST(NumberFastPaths, AsciiPathDataReadsAsTheGeneralWay) {
    Sequence random{3};
    for (int i = 0; i < 50000; ++i) {
        const std::string data = random.text(40, "0123456789012345678901234567890123456789..--+eE ,MLCZ");
        const PathParseResult ascii = PathParser::parse(data);
        const PathParseResult general = PathParser::parse(data + "\u00A0");
        ASSERT_EQ(ascii.commands, general.commands) << data;
        ASSERT_EQ(ascii.warnings, general.warnings) << data;
    }
}

}  // namespace
}  // namespace kerfwright
