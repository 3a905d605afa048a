#include "values/transform.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <optional>

#include "text/number_text.h"
#include "text/unicode.h"

namespace kerfwright {
namespace {

constexpr std::size_t kTransformNumberCount = 6;

// Only a character that is exactly a blank or a tab separates; a blank that
// carries a combining mark is part of a token.
bool isSeparator(std::string_view character) { return character == " " || character == "\t"; }

// Reads the numbers of the text in order, skipping tokens that are not
// numbers; stops counting past one more than a transform needs.
struct NumberScan {
    std::array<double, kTransformNumberCount> values{};
    std::size_t count = 0;
};

void acceptToken(NumberScan& scan, std::string_view token) {
    if (token.empty()) return;
    const std::optional<double> value = text::parseNumberToken(token);
    if (!value) return;
    if (scan.count < kTransformNumberCount) scan.values[scan.count] = *value;
    ++scan.count;
}

NumberScan scanNumbers(std::string_view text) {
    NumberScan scan;
    std::size_t tokenStart = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = text::graphemeEnd(text, position);
        if (isSeparator(text.substr(position, end - position))) {
            acceptToken(scan, text.substr(tokenStart, position - tokenStart));
            tokenStart = end;
        }
        position = end;
    }
    acceptToken(scan, text.substr(tokenStart));
    return scan;
}

void appendHex(std::string& out, char32_t value) {
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned>(value), 16);
    out.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

bool isControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

void appendDebugEscaped(std::string& out, char32_t codePoint) {
    switch (codePoint) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\0': out += "\\0"; return;
        default: break;
    }
    if (isControl(codePoint)) {
        out += "\\u{";
        appendHex(out, codePoint);
        out += "}";
        return;
    }
    text::appendUtf8(out, codePoint);
}

// The text in double quotation marks with quotes, backslashes and control
// characters escaped, so that blanks and tabs in a bad transform stay visible.
std::string debugQuoted(std::string_view text) {
    std::string out = "\"";
    std::size_t position = 0;
    while (position < text.size()) {
        const text::DecodedCodePoint decoded = text::decodeUtf8(text, position);
        appendDebugEscaped(out, decoded.value);
        position += decoded.length;
    }
    out += "\"";
    return out;
}

}  // namespace

Point2D Transform2D::apply(double x, double y) const {
    return {a * x + c * y + tx, b * x + d * y + ty};
}

Transform2D Transform2D::multiplied(const Transform2D& other) const {
    return {
        a * other.a + c * other.b,
        b * other.a + d * other.b,
        a * other.c + c * other.d,
        b * other.c + d * other.d,
        a * other.tx + c * other.ty + tx,
        b * other.tx + d * other.ty + ty,
    };
}

std::string Transform2D::ParseError::description() const {
    return "Could not parse transform string " + debugQuoted(text) + " (expected 6 numbers)";
}

std::variant<Transform2D, Transform2D::ParseError> Transform2D::parse(std::string_view text) {
    const NumberScan scan = scanNumbers(text);
    if (scan.count != kTransformNumberCount) return ParseError{std::string(text)};
    const auto& v = scan.values;
    return Transform2D{v[0], v[1], v[2], v[3], v[4], v[5]};
}

}  // namespace kerfwright
