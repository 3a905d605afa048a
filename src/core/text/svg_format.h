#pragma once
// The one number format and the one attribute escaping of every output.

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

struct WrittenNum {
    char* end;
    bool finite;  // as appendNum's result
};

// The text appendNum writes at kPrecision, put at `at`, which has room for
// kLongestNum characters: for setting several numbers in one buffer.
WrittenNum writeNum(char* at, double value);

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
