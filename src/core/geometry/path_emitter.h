#pragma once
// Writes vector geometry as SVG path data in canvas millimetres, using only
// absolute M, L, C and Z: every arc becomes one cubic Bezier segment.

#include <string>
#include <vector>

#include "geometry/path_parser.h"
#include "values/transform.h"

namespace kerfwright::PathEmitter {

struct Cubic {
    Point2D c1;
    Point2D c2;
    Point2D end;
};

std::string emit(const std::vector<PathCommand>& commands, const Transform2D& transform, bool isClosed);
std::string emitEllipse(double centerX, double centerY, double radiusX, double radiusY, const Transform2D& transform);
// The arc from p0 to p2, the shorter way, on the circle through all three
// points; a polyline when they are collinear.
std::string emitCenterPointArc(Point2D p0, Point2D p1, Point2D p2, const Transform2D& transform);
// One cubic for the circular arc from start to end about center, the shorter way.
Cubic arcToCubic(Point2D start, Point2D end, Point2D center);

}  // namespace kerfwright::PathEmitter
