#pragma once
// Writes a raster placement as a self-contained SVG image element.

#include <cstdint>
#include <string>

#include "drawing/drawing.h"

namespace kerfwright::ImageEmitter {

// Appends the image element (no indentation, no line end) of an element
// that is an image; false, appending nothing, when its stored stream does
// not inflate.
bool appendElement(std::string& out, const DrawnElement& element);

// The length of the element's text, but for its name and attribute names.
std::uint64_t expectedLength(const DrawnElement::Image& image);

}  // namespace kerfwright::ImageEmitter
