#pragma once
// Converts a read document into one SVG document per canvas, or per plate of
// a canvas divided into two or more plates.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "values/bounding_box.h"
#include "reading/model.h"
#include "scene/layers.h"

namespace kerfwright {

struct CanvasConversion {
    std::int64_t canvasIndex = 0;
    std::string canvasName;
    std::int64_t plateIndex = 1;           // counted from 1
    std::int64_t totalPlatesInCanvas = 1;
    std::string svg;
    std::map<LayerKind, std::int64_t> layerCounts;  // only layers with placements
    std::vector<std::string> warnings;
    BoundingBox bounds;  // the box the document shows, margin included
};

namespace SVGWriter {
std::vector<CanvasConversion> convert(const LACDocument& document, double margin);
}  // namespace SVGWriter

}  // namespace kerfwright
