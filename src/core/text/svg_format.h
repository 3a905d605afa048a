#pragma once
// The one number format and the one attribute escaping of every output.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kerfwright::SVGFormat {

// The decimal places of every coordinate, size and setting written.
inline constexpr int kPrecision = 4;

// Appends the value rounded to `precision` decimal places (halves away from
// zero): whole results in plain integer form, others as printf's "%g".
// Returns false when what it wrote is "nan", "inf" or "-inf", which no SVG
// reader accepts.
bool appendNum(std::string& out, double value, int precision = kPrecision);

// The longest text appendNum writes: a sign and nineteen digits of a whole
// number.
inline constexpr std::size_t kLongestNum = 20;

namespace detail {

struct WrittenNum {
    char* end;
    bool finite;  // as appendNum's result
};

// The text appendNum writes at kPrecision, put at `at`. It may set bytes
// past the end it returns, up to kLongestNum from `at`: NumberText below
// is what gives it that room.
WrittenNum writeNum(char* at, double value);

}  // namespace detail

// Numbers, written as appendNum writes them at kPrecision, and short texts
// between them, set in a buffer of their own and then taken at once: for a
// line of several numbers without an append for each. The buffer holds
// `MostNumbers` numbers and `MostOtherChars` other characters, whatever the
// numbers are.
template <std::size_t MostNumbers, std::size_t MostOtherChars>
class NumberText {
public:
    // False when the number is written "nan", "inf" or "-inf".
    bool number(double value) {
        const detail::WrittenNum written = detail::writeNum(cursor_, value);
        cursor_ = written.end;
        return written.finite;
    }
    void text(std::string_view piece) { cursor_ = std::copy(piece.begin(), piece.end(), cursor_); }
    void character(char c) { *cursor_++ = c; }
    std::string_view view() const { return {buffer_.data(), static_cast<std::size_t>(cursor_ - buffer_.data())}; }

private:
    // Every number may take the most any number takes; what writeNum sets
    // past a number's end stays within that.
    std::array<char, MostNumbers * kLongestNum + MostOtherChars> buffer_;
    char* cursor_ = buffer_.data();
};

// A placement matrix entry rounded to six places, as it is written: "%g" of
// it, with no whole-number form, so that a tiny negative term stays "-0".
double roundedMatrixEntry(double value);
void appendMatrixEntry(std::string& out, double value);

// Makes text safe inside a double-quoted attribute value or character data.
void appendEscapedXML(std::string& out, std::string_view text);

// The attributes every drawn element carries: ' data-obj-id="<id>"', and
// ' data-name="<escaped name>"' unless the name is empty.
void appendObjectAttributes(std::string& out, std::int64_t objectId, std::string_view name);

}  // namespace kerfwright::SVGFormat
