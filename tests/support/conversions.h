#pragma once
// A conversion for tests that only need its place among the others: canvas,
// name and plate, with a small SVG text naming them and a 100 mm box.

#include <cstdint>
#include <string>

#include "writers/svg_writer.h"

namespace kerfwright::testing {

inline CanvasConversion conversion(std::int64_t canvasIndex, std::string name, std::int64_t plate = 1,
                                   std::int64_t totalPlates = 1) {
    CanvasConversion c;
    c.canvasIndex = canvasIndex;
    c.canvasName = std::move(name);
    c.plateIndex = plate;
    c.totalPlatesInCanvas = totalPlates;
    c.svg = "<svg canvas=\"" + std::to_string(canvasIndex) + "\" plate=\"" + std::to_string(plate) + "\"/>\n";
    c.bounds = BoundingBox{0, 0, 100, 100};
    return c;
}

}  // namespace kerfwright::testing
