#pragma once
// Axis-aligned extent of transformed geometry, in canvas millimetres.

#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "geometry/path_parser.h"

namespace kerfwright {

struct FlattenedNode;

struct BoundingBox {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    static constexpr BoundingBox empty() { return {}; }

    bool isEmpty() const { return maxX < minX || maxY < minY; }
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }

    // A NaN coordinate changes nothing on its axis.
    void include(double x, double y);
    // An empty box stays empty.
    BoundingBox padded(double margin) const;
};

// Parsed commands of each path object of one conversion, by object id.
using ParsedPaths = std::unordered_map<std::int64_t, std::vector<PathCommand>>;

namespace BoundingBoxBuilder {
// Measures the placements: path commands (cubics with their true extremes,
// arcs as chords), image corners, ellipse rectangle corners, arc points.
BoundingBox compute(const std::vector<FlattenedNode>& nodes, const ParsedPaths& parsedPaths);
}  // namespace BoundingBoxBuilder

}  // namespace kerfwright
