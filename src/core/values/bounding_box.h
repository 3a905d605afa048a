#pragma once
// Axis-aligned extent of drawn geometry, in canvas millimetres.

#include <limits>

#include "values/transform.h"

namespace kerfwright {

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
    void include(Point2D p) { include(p.x, p.y); }
    // Grows to hold the other box; an empty one adds nothing.
    void include(const BoundingBox& other);
    // An empty box stays empty.
    BoundingBox padded(double margin) const;
};

}  // namespace kerfwright
