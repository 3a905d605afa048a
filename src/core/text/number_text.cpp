#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

#include "text/float_conversions.h"
#include "text/powers_of_ten.h"

namespace kerfwright::text {
namespace {

// strtod skips these before a number; a token that starts with one is not a
// number as a whole.
bool isCWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isPlainDecimalCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
}

// Text made only of digits, points, exponent letters and signs is decimal (or
// nothing at all), which readDecimal reads exactly as strtod would, without a
// locale and without a copy.
bool isPlainDecimal(std::string_view token) {
    for (char c : token) {
        if (!isPlainDecimalCharacter(c)) return false;
    }
    return true;
}

// Digits of a whole number that always fits a double exactly (below 2^53).
constexpr int kExactDigits = 15;

}  // namespace

std::optional<ShortDecimal> readShortDecimal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    std::size_t at = negative ? 1 : 0;
    std::int64_t digits = 0;
    int digitCount = 0;
    int fractionDigits = 0;
    bool sawPoint = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            if (++digitCount > kExactDigits) return std::nullopt;
            digits = digits * 10 + (c - '0');
            fractionDigits += sawPoint ? 1 : 0;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (digitCount == 0) return std::nullopt;
    const double magnitude = static_cast<double>(digits) / kExactPowersOfTen[fractionDigits];
    return ShortDecimal{negative ? -magnitude : magnitude, at};
}

namespace {

// The whole token as the usual path-data number, or nothing.
std::optional<double> parseShortDecimal(std::string_view token) {
    const std::optional<ShortDecimal> read = readShortDecimal(token);
    if (!read || read->length != token.size()) return std::nullopt;
    return read->value;
}

std::optional<double> parsePlainDecimal(std::string_view token) {
    std::string_view digits = token;
    if (digits.front() == '+') {
        digits.remove_prefix(1);
        // readDecimal would take the second sign that strtod refuses.
        if (digits.empty() || digits.front() == '-' || digits.front() == '+') return std::nullopt;
    }
    const char* end = digits.data() + digits.size();
    const DecimalRead read = readDecimal(digits.data(), end);
    if (read.end != end) return std::nullopt;
    return read.value;
}

ScientificDigits shortestScientificDigits(double value) {
    std::string text;
    appendShortestScientific(text, value);
    return scientificDigitsOf(text);
}

// Plain decimal form of digits d1d2d3... scaled by 10^exponent, always with a
// fractional part.
std::string plainDecimal(const ScientificDigits& parts) {
    std::string out;
    if (parts.negative) out.push_back('-');
    const int digitCount = static_cast<int>(parts.digits.size());
    if (parts.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-parts.exponent - 1), '0');
        out += parts.digits;
        return out;
    }
    const int integerDigits = parts.exponent + 1;
    if (digitCount <= integerDigits) {
        out += parts.digits;
        out.append(static_cast<std::size_t>(integerDigits - digitCount), '0');
        out += ".0";
        return out;
    }
    out.append(parts.digits, 0, static_cast<std::size_t>(integerDigits));
    out.push_back('.');
    out.append(parts.digits, static_cast<std::size_t>(integerDigits));
    return out;
}

const char* specialValueText(double value) {
    if (std::isnan(value)) return "nan";
    return value < 0 ? "-inf" : "inf";
}

}  // namespace

std::optional<double> parseNumberToken(std::string_view token) {
    if (token.empty() || isCWhitespace(token.front())) return std::nullopt;
    // The usual short decimal, and any plain decimal text, holds no NUL:
    // tried first, they save looking for one.
    if (const std::optional<double> value = parseShortDecimal(token)) return value;
    if (isPlainDecimal(token)) return parsePlainDecimal(token);
    // strtod would stop at an embedded NUL and leave the rest unread.
    if (token.find('\0') != std::string_view::npos) return std::nullopt;
    return readWholeWithCLibrary(token);
}

void appendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<std::size_t>(result.ptr - digits));
}

std::string integerText(std::int64_t value) {
    std::string out;
    appendInteger(out, value);
    return out;
}

void appendPrintfG(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    appendGeneral(out, value, 6);
}

std::string describeNumber(double value) {
    if (!std::isfinite(value)) return specialValueText(value);
    const ScientificDigits parts = shortestScientificDigits(value);
    if (parts.exponent >= -4 && parts.exponent < 16) return plainDecimal(parts);
    std::string out;
    appendShortestScientific(out, value);
    return out;
}

std::string shortestRoundTrip(double value) {
    if (!std::isfinite(value)) return specialValueText(value);
    std::string out;
    appendShortest(out, value);
    return out;
}

}  // namespace kerfwright::text
