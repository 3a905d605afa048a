#include "text/svg_format.h"
#include "support/formatted.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>

namespace kerfwright {
namespace {

struct NumCase {
    double value;
    std::string_view expected;
};

TEST(SVGFormatNum, RoundsToFourPlacesAndSixDigits) {
    const NumCase cases[] = {
        {12.34567, "12.3457"},
        {123.45678, "123.457"},
        {0.1, "0.1"},
        {100.0, "100"},
        {-5.0, "-5"},
        {-0.00004, "0"},
        {-0.0, "0"},
        {1234567.25, "1.23457e+06"},
        {1000000.5, "1e+06"},
        {100000.0, "100000"},
        {0.00005, "0.0001"},
        {0.00015, "0.0001"},
        {0.00001, "0"},
        {10.00001, "10"},
        {1.23456, "1.2346"},
        {-1.5, "-1.5"},
        {5.5228474983, "5.5228"},
        {-2.76142374915, "-2.7614"},
        {13.333333333333334, "13.3333"},
        {123456.78, "123457"},
        {0.0012, "0.0012"},
        {1e15, "1000000000000000"},
    };
    for (const NumCase& c : cases) EXPECT_EQ(testing::num(c.value, 4), c.expected) << c.value;
}

TEST(SVGFormatNum, ValuesOutsideTheIntegerRange) {
    const double infinity = std::numeric_limits<double>::infinity();
    const NumCase cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), "nan"},
        {infinity, "inf"},
        {-infinity, "-inf"},
        {1e20, "1e+20"},
        {-1e20, "-1e+20"},
        {9223372036854775808.0, "9.22337e+18"},
        {-9223372036854775808.0, "-9223372036854775808"},
        {4611686018427387904.0, "4611686018427387904"},
        {1e300, "1e+300"},
    };
    for (const NumCase& c : cases) EXPECT_EQ(testing::num(c.value, 4), c.expected) << c.value;
}

TEST(SVGFormatNum, OtherPrecisions) {
    EXPECT_EQ(testing::num(1.26, 1), "1.3");
    EXPECT_EQ(testing::num(2.5, 0), "3");
    EXPECT_EQ(testing::num(-2.5, 0), "-3");
    // From six places on whole values take the "%g" form too.
    EXPECT_EQ(testing::num(1234567.0, 6), "1.23457e+06");
    EXPECT_EQ(testing::num(-0.0000001, 6), "-0");
}

TEST(SVGFormatNum, AppendsToTheBuffer) {
    std::string out = "M ";
    SVGFormat::appendNum(out, 10.00001, 4);
    out += ' ';
    SVGFormat::appendNum(out, -0.00004, 4);
    EXPECT_EQ(out, "M 10 0");
}

struct EscapeCase {
    std::string_view input;
    std::string_view expected;
};

TEST(SVGFormatEscape, ReplacesPerCodePoint) {
    using namespace std::string_view_literals;
    const EscapeCase cases[] = {
        {""sv, ""sv},
        {"&<>\"'"sv, "&amp;&lt;&gt;&quot;&apos;"sv},
        {"Plain name 42"sv, "Plain name 42"sv},
        {"Sch\xC3\xB6n \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"sv, "Sch\xC3\xB6n \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"sv},
        {"&amp;"sv, "&amp;amp;"sv},
        {"a<b>c"sv, "a&lt;b&gt;c"sv},
        // A combining mark after an ampersand does not hide it.
        {"&\xCC\x81"sv, "&amp;\xCC\x81"sv},
        {"\"\xCC\x81'"sv, "&quot;\xCC\x81&apos;"sv},
        // Tab, line feed and carriage return are allowed in XML.
        {"a\tb\nc\rd"sv, "a\tb\nc\rd"sv},
        // Other C0 controls are not.
        {"a\x01" "b\x1F" "c"sv, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c"sv},
        {"\0"sv, "\xEF\xBF\xBD"sv},
        {"\x0B\x0C"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
        {"\x7F"sv, "\x7F"sv},
        {"\xC2\x85"sv, "\xC2\x85"sv},
        {"x\xEF\xBF\xBEy\xEF\xBF\xBF"sv, "x\xEF\xBF\xBDy\xEF\xBF\xBD"sv},
        {"\xEF\xBF\xBD"sv, "\xEF\xBF\xBD"sv},
        // Malformed bytes become one replacement character each.
        {"a\xC3"sv, "a\xEF\xBF\xBD"sv},
        {"\xE2\x82" "A"sv, "\xEF\xBF\xBD\xEF\xBF\xBD" "A"sv},
        {"\xFF<"sv, "\xEF\xBF\xBD&lt;"sv},
        {"\xED\xA0\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"sv},
        {"\xC0\xAF"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
    };
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(testing::escapedXML(c.input), c.expected) << c.input;
    }
}

TEST(SVGFormatEscape, AppendsToTheBuffer) {
    std::string out = " data-name=\"";
    SVGFormat::appendEscapedXML(out, "R&D");
    out += '"';
    EXPECT_EQ(out, " data-name=\"R&amp;D\"");
}

}  // namespace
}  // namespace kerfwright
