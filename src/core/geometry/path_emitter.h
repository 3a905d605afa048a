#pragma once
// Writes vector geometry as SVG path data in canvas millimetres, using only
// absolute M, L, C and Z: every arc becomes one cubic Bezier segment, or two
// past a quarter turn. The same walk measures what it draws.

#include <string>
#include <string_view>
#include <vector>

#include "geometry/path_parser.h"
#include "values/bounding_box.h"
#include "values/transform.h"

namespace kerfwright::PathEmitter {

struct EmittedPath {
    std::string d;
    // What the outline covers: points it passes through and the interior
    // extremes of its curves. A line or arc does not add its own start.
    BoundingBox bounds;
    bool allFinite = true;  // no number was written as nan or inf
};

EmittedPath emit(const std::vector<PathCommand>& commands, const Transform2D& transform, bool isClosed);
// The outline of path data read and written in one pass, without a list of
// its commands: the same as emitting what the data parses to. `warnings`
// gets what the parse noted.
EmittedPath emitData(std::string_view data, const Transform2D& transform, bool isClosed,
                     std::vector<PathParseWarning>& warnings);
// Measured as the four cubics drawn.
EmittedPath emitEllipse(double centerX, double centerY, double radiusX, double radiusY, const Transform2D& transform);
// The arc from p0 to p2, the shorter way, on the circle through all three
// points; a polyline when they are collinear.
EmittedPath emitCenterPointArc(Point2D p0, Point2D p1, Point2D p2, const Transform2D& transform);

}  // namespace kerfwright::PathEmitter
