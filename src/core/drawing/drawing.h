#pragma once
// What one drawing shows: for each canvas, or each plate of a canvas divided
// into two or more plates, its layers in draw order with the elements placed
// on them, its counts, its warnings and its extent. Everything a writer or a
// front end needs is decided here, once; they only read and serialise it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "reading/model.h"
#include "scene/layers.h"
#include "values/bounding_box.h"
#include "values/transform.h"

namespace kerfwright {

struct DrawnElement {
    struct Path {
        std::string d;  // starts with a move, every number finite
    };
    struct Image {
        const StoredBytes* bytes;  // into the document
        std::int64_t width;
        std::int64_t height;
        Transform2D placement;       // every entry finite once rounded for writing
        std::string_view mediaType;  // "image/png", "image/jpeg", "image/gif" or "image/webp"
    };

    std::int64_t objId;
    std::string_view name;  // into the document
    std::variant<Path, Image> kind;
};

struct DrawnLayer {
    LayerKind layer;
    std::vector<DrawnElement> elements;  // may be empty: every placement was skipped
};

struct Drawing {
    std::int64_t canvasIndex = 0;
    std::string canvasName;
    std::int64_t plateIndex = 1;  // counted from 1
    std::int64_t totalPlatesInCanvas = 1;
    std::vector<DrawnLayer> layers;  // draw order; only layers with placements
    std::map<LayerKind, std::int64_t> layerCounts;  // placements, skipped ones included
    std::vector<std::string> warnings;
    BoundingBox bounds;  // the box the drawing shows, margin included
};

// "Canvas N" for a canvas without a name of its own.
std::string canvasDisplayName(std::int64_t canvasIndex, std::string_view canvasName);

namespace DrawingResolver {
// The drawings a document makes, known before any is made: for each canvas
// that is drawn, in order, its own components (a null start list) or each of
// its plates, within the limit on drawings.
struct CanvasPlan {
    const LACCanvas* canvas;
    std::vector<const std::vector<LACComponent>*> startLists;
    std::int64_t totalPlates;
    bool documentCutShort;  // the last drawing planned; later ones are skipped
};
std::vector<CanvasPlan> planOf(const LACDocument& document);

// Resolves the document's drawings in order and hands each over as soon as
// it is made, so that only one is held at a time. The drawings point into
// `document`. Up to `threads` threads outline a drawing's placements; the
// drawings are the same whatever their number.
void resolveEach(const LACDocument& document, double margin, std::size_t threads,
                 const std::function<void(Drawing&&)>& take);
}  // namespace DrawingResolver

}  // namespace kerfwright
