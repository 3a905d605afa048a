#pragma once
// Conversions between numbers and text that never consult the process locale:
// a desktop application sets it, after which strtod and printf would read and
// write "3,5".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kerfwright::text {

// Reads the whole text as a number the way C's strtod does in the "C" locale:
// optional sign, decimal digits with an optional point and exponent, a
// hexadecimal form after 0x, or inf, infinity, nan in any letter case. Leading
// white space, an empty text or anything left over gives nothing.
std::optional<double> parseNumberToken(std::string_view token);

// The usual path-data number at the start of a text: an optional minus, then
// digits with at most one point, at most fifteen digits in all, read up to
// the first other character. Digits and a power of ten that are both exact
// doubles make one correctly rounded division, the value strtod gives for
// the same characters. Nothing for any other start, or for more digits.
struct ShortDecimal {
    double value;
    std::size_t length;  // of the characters read
};
std::optional<ShortDecimal> readShortDecimal(std::string_view text);

// Appends the integer in plain decimal: an optional "-" and digits.
void appendInteger(std::string& out, std::int64_t value);

// The integer in plain decimal, as appendInteger writes it.
std::string integerText(std::int64_t value);

// Appends the value as printf's "%g" with its default precision of six
// significant digits would write it. A NaN is written "nan" whatever its sign.
void appendPrintfG(std::string& out, double value);

// The shortest decimal text that reads back as the same value, with ".0" after
// whole values, in exponent form ("1e+16", "1e-05") when the decimal exponent
// is below -4 or at least 16; "inf", "-inf", "nan" for the special values.
std::string describeNumber(double value);

// The shortest decimal text that reads back as the same value ("5", "0.1",
// "1e+20", "-0"); used where a reader must get the exact double back.
std::string shortestRoundTrip(double value);

}  // namespace kerfwright::text
