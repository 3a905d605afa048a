#pragma once
// The conversions of doubles to and from text that the number formats build
// on, the same on every standard library. Where the library has them, the
// writing ones are std::to_chars; elsewhere (WebAssembly's libc++ has no
// floating-point to_chars) the portable ones below, built on {fmt}, stand in. Reading is
// fast_float everywhere, which gives the double strtod gives in the "C" locale.

#include <optional>
#include <string>
#include <string_view>

namespace kerfwright::text {

struct DecimalRead {
    const char* end;  // just past the number; `first` when there was none
    double value;
};

// A number in exponent form split into its parts.
struct ScientificDigits {
    bool negative;
    std::string digits;  // significant digits without the point
    int exponent;        // decimal exponent of d.ddd x 10^exponent
};

// Splits exponent-form text such as "-1.25e+03", as to_chars and printf
// write it, into its parts.
ScientificDigits scientificDigitsOf(std::string_view text);

// Reads a decimal number (sign "-", digits, point, exponent) or inf, infinity
// or nan at the start of [first, last). No leading "+" and no white space.
DecimalRead readDecimal(const char* first, const char* last);

// Reads the whole text with the C library's strtod in the "C" locale, for the
// forms readDecimal does not take (hexadecimal, a leading "+"); nothing when
// any of it is left over.
std::optional<double> readWholeWithCLibrary(std::string_view text);

// std::to_chars(value): the shortest text that reads back as the value, in
// fixed or exponent form, whichever is shorter.
void appendShortest(std::string& out, double value);
// std::to_chars(value, scientific): the same digits, always in exponent form.
void appendShortestScientific(std::string& out, double value);
// printf's "%.<precision>g" in the "C" locale, in any locale.
void appendGeneral(std::string& out, double value, int precision);
// printf's "%.<places>f" in the "C" locale, in any locale.
void appendFixed(std::string& out, double value, int places);

// The stand-ins, built on {fmt}, which writes the same text in any locale.
// They are compiled everywhere so that they can be checked against to_chars.
namespace portable {
void appendShortest(std::string& out, double value);
void appendShortestScientific(std::string& out, double value);
void appendGeneral(std::string& out, double value, int precision);
void appendFixed(std::string& out, double value, int places);
}  // namespace portable

}  // namespace kerfwright::text
