#include "text/float_conversions.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>
#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <iterator>
#include <new>

namespace kerfwright::text {
namespace {

// The "C" locale, made once: the C library reads with it whatever the
// process locale says the decimal point is. The "C" locale always exists,
// so making it fails only for want of memory, and is reported as such.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) throw std::bad_alloc();
    return locale;
}

// The fewest significant digits that read back as the value, and of those
// the nearest to it, as {fmt} finds them, taken out of the text it writes in
// fixed or exponent form: "0.00125", "1250", "1.25e+20".
ScientificDigits shortestDigits(double magnitude) {
    const std::string text = fmt::format("{}", magnitude);
    const std::size_t exponentMark = text.find('e');
    const std::string_view mantissa = std::string_view(text).substr(0, exponentMark);
    int exponent = 0;
    if (exponentMark != std::string::npos) {
        std::string_view exponentText = std::string_view(text).substr(exponentMark + 1);
        if (exponentText.front() == '+') exponentText.remove_prefix(1);
        std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    }
    const std::size_t point = mantissa.find('.');
    ScientificDigits parts{false, {}, 0};
    for (const char c : mantissa) {
        if (c != '.') parts.digits.push_back(c);
    }
    const std::size_t leadingZeros = parts.digits.find_first_not_of('0');
    const std::size_t wholeDigits = point == std::string_view::npos ? mantissa.size() : point;
    parts.exponent = static_cast<int>(wholeDigits) - 1 - static_cast<int>(leadingZeros) + exponent;
    parts.digits.erase(0, leadingZeros);
    parts.digits.erase(parts.digits.find_last_not_of('0') + 1);
    return parts;
}

void appendScientific(std::string& out, const ScientificDigits& parts) {
    out.push_back(parts.digits.front());
    if (parts.digits.size() > 1) {
        out.push_back('.');
        out.append(parts.digits, 1);
    }
    out.push_back('e');
    out.push_back(parts.exponent < 0 ? '-' : '+');
    const int size = parts.exponent < 0 ? -parts.exponent : parts.exponent;
    if (size < 10) out.push_back('0');
    out += std::to_string(size);
}

void appendPlain(std::string& out, double magnitude, const ScientificDigits& parts) {
    const int digitCount = static_cast<int>(parts.digits.size());
    if (parts.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-parts.exponent - 1), '0');
        out += parts.digits;
    } else if (digitCount <= parts.exponent + 1) {
        // A whole number: its exact digits are as many as the shortest ones
        // padded with zeros, and read back as the value with no error at all.
        out += fmt::format("{:.0f}", magnitude);
    } else {
        out.append(parts.digits, 0, static_cast<std::size_t>(parts.exponent + 1));
        out.push_back('.');
        out.append(parts.digits, static_cast<std::size_t>(parts.exponent + 1));
    }
}

// Zero and the special values, which have no digits to shorten; false for
// any other value.
bool appendUnshortened(std::string& out, double value, bool scientific) {
    if (value != 0 && std::isfinite(value)) return false;
    if (value == 0) {
        out += std::signbit(value) ? "-0" : "0";
        if (scientific) out += "e+00";
        return true;
    }
    out += fmt::format("{:g}", value);
    return true;
}

}  // namespace

ScientificDigits scientificDigitsOf(std::string_view text) {
    ScientificDigits parts{false, {}, 0};
    std::size_t index = 0;
    if (text[index] == '-') {
        parts.negative = true;
        ++index;
    }
    const std::size_t exponentMark = text.find('e');
    for (; index < exponentMark; ++index) {
        if (text[index] != '.') parts.digits.push_back(text[index]);
    }
    std::string_view exponentText = text.substr(exponentMark + 1);
    if (exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), parts.exponent);
    return parts;
}

DecimalRead readDecimal(const char* first, const char* last) {
    double value = 0;
    const fast_float::from_chars_result result = fast_float::from_chars(first, last, value);
    if (result.ec != std::errc()) return {first, 0};
    return {result.ptr, value};
}

std::optional<double> readWholeWithCLibrary(std::string_view text) {
    const std::string terminated(text);
    char* end = nullptr;
    const double value = strtod_l(terminated.c_str(), &end, cLocale());
    if (end != terminated.c_str() + terminated.size()) return std::nullopt;
    return value;
}

namespace portable {

void appendShortest(std::string& out, double value) {
    if (appendUnshortened(out, value, false)) return;
    const double magnitude = std::fabs(value);
    const ScientificDigits parts = shortestDigits(magnitude);
    std::string plain = value < 0 ? "-" : "";
    std::string scientific = plain;
    appendPlain(plain, magnitude, parts);
    appendScientific(scientific, parts);
    // The shorter form; plain on a tie.
    out += scientific.size() < plain.size() ? scientific : plain;
}

void appendShortestScientific(std::string& out, double value) {
    if (appendUnshortened(out, value, true)) return;
    if (value < 0) out.push_back('-');
    appendScientific(out, shortestDigits(std::fabs(value)));
}

void appendGeneral(std::string& out, double value, int precision) {
    fmt::format_to(std::back_inserter(out), "{:.{}g}", value, precision);
}

void appendFixed(std::string& out, double value, int places) {
    fmt::format_to(std::back_inserter(out), "{:.{}f}", value, places);
}

}  // namespace portable

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L

namespace {

template <typename... Format>
void appendConverted(std::string& out, double value, Format... format) {
    char buffer[400];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, format...);
    out.append(buffer, result.ptr);
}

}  // namespace

void appendShortest(std::string& out, double value) { appendConverted(out, value); }
void appendShortestScientific(std::string& out, double value) {
    appendConverted(out, value, std::chars_format::scientific);
}
void appendGeneral(std::string& out, double value, int precision) {
    appendConverted(out, value, std::chars_format::general, precision);
}
void appendFixed(std::string& out, double value, int places) {
    appendConverted(out, value, std::chars_format::fixed, places);
}

#else

void appendShortest(std::string& out, double value) { portable::appendShortest(out, value); }
void appendShortestScientific(std::string& out, double value) { portable::appendShortestScientific(out, value); }
void appendGeneral(std::string& out, double value, int precision) {
    portable::appendGeneral(out, value, precision);
}
void appendFixed(std::string& out, double value, int places) { portable::appendFixed(out, value, places); }

#endif

}  // namespace kerfwright::text
