#pragma once
// The formatting functions' output as a string of its own.

#include <string>
#include <string_view>

#include "text/svg_format.h"

namespace kerfwright::testing {

inline std::string num(double value, int precision) {
    std::string out;
    SVGFormat::appendNum(out, value, precision);
    return out;
}

inline std::string escapedXML(std::string_view text) {
    std::string out;
    SVGFormat::appendEscapedXML(out, text);
    return out;
}

}  // namespace kerfwright::testing
