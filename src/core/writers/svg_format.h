#pragma once
// The one number format and the one attribute escaping of every output.

#include <cstdint>
#include <string>
#include <string_view>

namespace kerfwright::SVGFormat {

// The value rounded to `precision` decimal places (halves away from zero);
// whole results in plain integer form, others as printf's "%g".
std::string num(double value, int precision);
void appendNum(std::string& out, double value, int precision);

// Makes text safe inside a double-quoted attribute value or character data.
std::string escapeXML(std::string_view text);
void appendEscapedXML(std::string& out, std::string_view text);

// The attributes every drawn element carries: ' data-obj-id="<id>"', and
// ' data-name="<escaped name>"' unless the name is empty.
void appendObjectAttributes(std::string& out, std::int64_t objectId, std::string_view name);

}  // namespace kerfwright::SVGFormat
