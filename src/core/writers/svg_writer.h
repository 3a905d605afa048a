#pragma once
// Converts a read document into one SVG document per canvas, or per plate of
// a canvas divided into two or more plates.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "reading/model.h"
#include "scene/layers.h"
#include "values/bounding_box.h"
#include "writers/output_profile.h"

namespace kerfwright {

// A drawing as written, with what the front ends report of it.
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

// How many canvases the conversions come from.
std::size_t distinctCanvasCount(const std::vector<CanvasConversion>& all);

namespace SVGWriter {
// Up to `threads` threads share the work; the conversions are the same
// whatever their number.
std::vector<CanvasConversion> convert(const LACDocument& document, double margin, const OutputProfile& profile = {},
                                      std::size_t threads = 1);

// The same conversions, each handed over as soon as it is made, so that only
// one drawing's text need be held at a time. `take` is called in order, one
// call at a time; with more than one thread, on a thread of its own.
void convertEach(const LACDocument& document, double margin, const OutputProfile& profile, std::size_t threads,
                 const std::function<void(CanvasConversion&&)>& take);

// The conversions `convert` makes, in its order, with their canvas and plate
// but nothing drawn: what their file names need before any is made.
std::vector<CanvasConversion> undrawnConversions(const LACDocument& document);
}  // namespace SVGWriter

}  // namespace kerfwright
