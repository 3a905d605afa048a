#include "text/svg_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>

#include "text/number_text.h"
#include "text/powers_of_ten.h"
#include "text/unicode.h"

namespace kerfwright::SVGFormat {
namespace {

// Whole values from -2^63 up to, not including, 2^63 fit a signed 64-bit
// integer; both bounds are exact doubles.
constexpr double kInt64Lower = -9223372036854775808.0;
constexpr double kInt64UpperExclusive = 9223372036854775808.0;

bool fitsInt64(double wholeValue) {
    return wholeValue >= kInt64Lower && wholeValue < kInt64UpperExclusive;
}

// XML 1.0 allows tab, line feed and carriage return among the C0 controls and
// nothing else of them.
bool isForbiddenAsciiControl(unsigned char byte) {
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

const char* entityFor(char c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        case '\'': return "&apos;";
        default: return nullptr;
    }
}

// A byte below 0x80 is one code point on its own.
void appendEscapedAscii(std::string& out, char c) {
    if (const char* entity = entityFor(c)) {
        out += entity;
    } else if (isForbiddenAsciiControl(static_cast<unsigned char>(c))) {
        text::appendUtf8(out, text::kReplacementCharacter);
    } else {
        out.push_back(c);
    }
}


// Called for every coordinate written, where std::pow would cost more than
// all the rest of the formatting.
double powerOfTen(int exponent) {
    if (exponent >= 0 && exponent < static_cast<int>(std::size(text::kExactPowersOfTen))) {
        return text::kExactPowersOfTen[exponent];
    }
    return std::pow(10.0, exponent);
}

// printf's "%g": six significant digits, exponent form below 10^-4 and from
// 10^6 on.
constexpr int kSignificantDigits = 6;
constexpr int kSmallestPlainExponent = -4;
// Scaled values below this are rounded and written by the short way below:
// their whole numbers of units are exact doubles and int64 values with room
// to spare (2^53 is about 9 * 10^15).
constexpr double kExactUnitsLimit = 1e15;
// The places after the point the short way handles; others take the general way.
constexpr int kMostPlaces = 5;

// Units per whole for each number of places, and the steps of rounding to six digits.
constexpr const auto& kPowersOfTen = text::kIntegerPowersOfTen;

// std::round (halves away from zero) of a value below 2^52 in magnitude,
// without a call into the maths library: the fraction left after truncating
// is exact, so comparing it with one half decides exactly as std::round does.
double roundHalfAway(double value) {
    const auto truncated = static_cast<double>(static_cast<std::int64_t>(value));
    const double fraction = value - truncated;
    if (fraction >= 0.5) return truncated + 1;
    if (fraction <= -0.5) return truncated - 1;
    return truncated;
}

int decimalDigitCount(std::uint64_t value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// Writes the last `count` decimal digits of the value, leading zeros
// included, so that they end just before `end`; returns where they start.
char* writeDigitsBefore(char* end, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return end;
}

// value / 10^exponent for an exponent from 1 to kMostPlaces, each by a
// constant divisor, which the compiler turns into a multiplication: dividing
// by a divisor known only at run time would be the slowest step of writing
// a number.
std::uint64_t divideByPowerOfTen(std::uint64_t value, int exponent) {
    switch (exponent) {
        case 1: return value / 10;
        case 2: return value / 100;
        case 3: return value / 1000;
        case 4: return value / 10000;
        default: return value / 100000;
    }
}
static_assert(kMostPlaces == 5, "divideByPowerOfTen covers every excess of digits up to the places written");

// The text "%g" gives the double nearest to units / 10^Places, written from
// the integer digits of units alone at `at`; returns its end, or nullptr,
// writing nothing, where those cannot tell: exponent form, a tie when
// rounding to six digits (which the binary value decides) or a carry when
// rounding. The double lies so close to the decimal value (within 10^-10 of
// it below 10^6) that away from a tie both round the same way. A whole value
// comes out as an integer.
template <int Places>
char* writeScaledUnits(char* at, std::int64_t units) {
    constexpr std::uint64_t kUnitsPerWhole = kPowersOfTen[Places];
    const std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    const std::uint64_t whole = magnitude / kUnitsPerWhole;
    std::uint64_t fraction = magnitude % kUnitsPerWhole;
    const int wholeDigits = whole == 0 ? 0 : decimalDigitCount(whole);
    if (fraction != 0 && wholeDigits > kSignificantDigits) return nullptr;
    // Below 10^-4 "%g" turns to exponent form.
    if (whole == 0 && fraction != 0 && fraction * kPowersOfTen[-kSmallestPlainExponent] < kUnitsPerWhole) {
        return nullptr;
    }

    // A whole value is written with all its digits; only a fraction is cut
    // to six significant digits.
    int fractionDigits = fraction == 0 ? 0 : Places;
    const int excess = wholeDigits + fractionDigits - kSignificantDigits;
    if (fraction != 0 && excess > 0) {
        const std::uint64_t dropped = kPowersOfTen[excess];
        const std::uint64_t kept = divideByPowerOfTen(fraction, excess);
        const std::uint64_t remainder = fraction - kept * dropped;
        fraction = kept;
        if (remainder * 2 == dropped) return nullptr;
        if (remainder * 2 > dropped) ++fraction;
        fractionDigits -= excess;
        if (fraction == kPowersOfTen[fractionDigits]) return nullptr;
    }
    // "%g" drops trailing zeros of the fraction, and the point with them.
    while (fractionDigits > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --fractionDigits;
    }

    const int signLength = units < 0 ? 1 : 0;
    const int wholeLength = wholeDigits == 0 ? 1 : wholeDigits;
    const int fractionLength = fractionDigits > 0 ? 1 + fractionDigits : 0;
    char* const end = at + signLength + wholeLength + fractionLength;
    char* start = end;
    if (fractionDigits > 0) {
        start = writeDigitsBefore(start, fraction, fractionDigits);
        *--start = '.';
    }
    start = writeDigitsBefore(start, whole, wholeLength);
    if (units < 0) *--start = '-';
    return end;
}

// The short way for the usual coordinate: the same rounding and the same text
// as the general way, without the maths library or printf-style conversion.
// It writes at most a sign and fifteen digits, or a sign, six digits and a
// point.
constexpr std::size_t kLongestSmallNum = 16;

char* writeSmallNum(char* at, double value, int precision) {
    if (precision < 1 || precision > kMostPlaces) return nullptr;
    const double scaled = value * powerOfTen(precision);
    if (!(std::fabs(scaled) < kExactUnitsLimit)) return nullptr;
    const auto units = static_cast<std::int64_t>(roundHalfAway(scaled));
    switch (precision) {
        case 1: return writeScaledUnits<1>(at, units);
        case 2: return writeScaledUnits<2>(at, units);
        case 3: return writeScaledUnits<3>(at, units);
        case 4: return writeScaledUnits<4>(at, units);
        default: return writeScaledUnits<5>(at, units);
    }
}

// The rest, rare in drawings: exponent form, ties and carries, other
// precisions, non-finite values.
bool appendGeneralNum(std::string& out, double value, int precision) {
    if (std::isnan(value)) {
        out += "nan";
        return false;
    }
    const double scale = powerOfTen(precision);
    const double rounded = std::round(value * scale) / scale;
    if (precision < 6 && rounded == std::round(rounded) && fitsInt64(rounded)) {
        // The integer conversion also turns a negative zero into 0.
        text::appendInteger(out, static_cast<std::int64_t>(rounded));
        return true;
    }
    text::appendPrintfG(out, rounded);
    return std::isfinite(rounded);
}

}  // namespace

bool appendNum(std::string& out, double value, int precision) {
    char text[kLongestSmallNum];
    if (const char* end = writeSmallNum(text, value, precision)) {
        out.append(text, static_cast<std::size_t>(end - text));
        return true;
    }
    return appendGeneralNum(out, value, precision);
}

WrittenNum writeNum(char* at, double value) {
    if (char* end = writeSmallNum(at, value, kPrecision)) return {end, true};
    std::string text;
    const bool finite = appendGeneralNum(text, value, kPrecision);
    return {std::copy(text.begin(), text.end(), at), finite};
}

double roundedMatrixEntry(double value) { return std::round(value * 1000000.0) / 1000000.0; }

void appendMatrixEntry(std::string& out, double value) { text::appendPrintfG(out, roundedMatrixEntry(value)); }

void appendEscapedXML(std::string& out, std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        const char byte = text[position];
        if (static_cast<unsigned char>(byte) < 0x80) {
            appendEscapedAscii(out, byte);
            ++position;
            continue;
        }
        const text::DecodedCodePoint decoded = text::decodeUtf8(text, position);
        // Malformed bytes decode as U+FFFD already; U+FFFE and U+FFFF are the
        // non-ASCII code points that XML forbids.
        if (decoded.value == text::kReplacementCharacter || decoded.value == 0xFFFE || decoded.value == 0xFFFF) {
            text::appendUtf8(out, text::kReplacementCharacter);
        } else {
            out.append(text.substr(position, decoded.length));
        }
        position += decoded.length;
    }
}

void appendObjectAttributes(std::string& out, std::int64_t objectId, std::string_view name) {
    out += " data-obj-id=\"";
    text::appendInteger(out, objectId);
    out += '"';
    if (!name.empty()) {
        out += " data-name=\"";
        appendEscapedXML(out, name);
        out += '"';
    }
}

}  // namespace kerfwright::SVGFormat
