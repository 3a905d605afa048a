#pragma once
// How a conversion is described to the user: its label among the document's
// conversions, the heading of the list, its size and its non-empty layers.
// Both front ends show these texts.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scene/layers.h"
#include "writers/svg_writer.h"

namespace kerfwright::ConversionSummary {

// The canvas name, or "Canvas " + index; "Plate N" or "<name> / Plate N"
// for plates.
std::string label(const CanvasConversion& conversion, const std::vector<CanvasConversion>& all);

// "Plates (N)" with fewer than two canvases, else "Canvases (C) / Plates (N)".
std::string pickerHeading(const std::vector<CanvasConversion>& all);

// Width and height of the bounds with one decimal: "120.3 × 80.0 mm".
std::string sizeText(const BoundingBox& bounds);

// The layers with a count above 0, cut and unknown first, raster engraving last.
std::vector<std::pair<LayerKind, std::int64_t>> layerRows(const CanvasConversion& conversion);

}  // namespace kerfwright::ConversionSummary
