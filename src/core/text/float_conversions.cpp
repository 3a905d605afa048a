#include "text/float_conversions.h"

#include <fast_float/fast_float.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <new>

namespace kerfwright::text {
namespace {

// The "C" locale, made once: the C library reads and writes with it whatever
// the process locale says the decimal point is. The "C" locale always exists,
// so making it fails only for want of memory, and is reported as such.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) throw std::bad_alloc();
    return locale;
}

// printf with a format of one conversion, in the "C" locale on this thread.
template <typename... Arguments>
void appendPrinted(std::string& out, const char* format, Arguments... arguments) {
    const locale_t previous = uselocale(cLocale());
    char buffer[400];  // "%.1f" of the largest double has 311 characters
    const int length = snprintf(buffer, sizeof buffer, format, arguments...);
    uselocale(previous);
    out.append(buffer, static_cast<std::size_t>(length));
}

// The value nearest to `magnitude` that has `count` significant digits.
ScientificDigits nearestWithDigits(double magnitude, int count) {
    std::string text;
    appendPrinted(text, "%.*e", count - 1, magnitude);
    return scientificDigitsOf(text);
}

double valueOf(const ScientificDigits& parts) {
    const std::string text =
        parts.digits.substr(0, 1) + "." + parts.digits.substr(1) + "e" + std::to_string(parts.exponent);
    return readDecimal(text.data(), text.data() + text.size()).value;
}

// The next value of as many digits above, or below, the given one.
ScientificDigits stepped(ScientificDigits parts, bool up) {
    std::string& digits = parts.digits;
    std::size_t at = digits.size();
    if (up) {
        while (at > 0 && digits[at - 1] == '9') digits[--at] = '0';
        if (at == 0) {
            // 9.99 -> 10.0, written 1.00 with the next exponent.
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++parts.exponent;
        } else {
            ++digits[at - 1];
        }
        return parts;
    }
    while (at > 0 && digits[at - 1] == '0') digits[--at] = '9';
    --digits[at - 1];
    if (digits.front() == '0') {
        // 1.00 -> 0.999, written 9.99 with the exponent before.
        digits.erase(digits.begin());
        digits.push_back('9');
        --parts.exponent;
    }
    return parts;
}

// The fewest significant digits that read back as the value, and of those
// the nearest to it. Of the values with a given number of digits only two
// can read back: the nearest one, and the nearest on the value's other side,
// which the nearest misses where the reading interval is lopsided (at a power
// of two).
ScientificDigits shortestDigits(double magnitude) {
    constexpr int kMostDigits = 17;  // always enough for a double
    for (int count = 1; count < kMostDigits; ++count) {
        const ScientificDigits nearest = nearestWithDigits(magnitude, count);
        const double nearestValue = valueOf(nearest);
        if (nearestValue == magnitude) return nearest;
        const ScientificDigits other = stepped(nearest, nearestValue < magnitude);
        if (valueOf(other) == magnitude) return other;
    }
    return nearestWithDigits(magnitude, kMostDigits);
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
        appendPrinted(out, "%.0f", magnitude);
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
    appendPrinted(out, "%g", value);
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

void appendGeneral(std::string& out, double value, int precision) { appendPrinted(out, "%.*g", precision, value); }

void appendFixed(std::string& out, double value, int places) { appendPrinted(out, "%.*f", places, value); }

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
