#include "values/bounding_box.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "scene/flattener.h"

namespace kerfwright {

void BoundingBox::include(double x, double y) {
    // Each bound is tested on its own, so a NaN fails every comparison and
    // leaves its axis as it was.
    if (x < minX) minX = x;
    if (y < minY) minY = y;
    if (x > maxX) maxX = x;
    if (y > maxY) maxY = y;
}

BoundingBox BoundingBox::padded(double margin) const {
    if (minX > maxX || minY > maxY) return *this;
    return {minX - margin, minY - margin, maxX + margin, maxY + margin};
}

namespace {

constexpr double kNegligible = 1e-12;

// At most two roots per axis, so both axes fit without allocating.
struct Candidates {
    std::array<double, 4> values{};
    std::size_t count = 0;
    void push_back(double t) { values[count++] = t; }
};

// Parameters in t where one coordinate of the cubic has a stationary point:
// the roots of the derivative divided by three, a*t^2 + b*t + c.
void appendStationaryParameters(double p0, double p1, double p2, double p3, Candidates& out) {
    const double a = -p0 + 3 * p1 - 3 * p2 + p3;
    const double b = 2 * (p0 - 2 * p1 + p2);
    const double c = p1 - p0;
    if (std::fabs(a) < kNegligible) {
        if (std::fabs(b) > kNegligible) out.push_back(-c / b);
        return;
    }
    const double s = b * b - 4 * a * c;
    if (s < 0) return;
    out.push_back((std::sqrt(s) - b) / (2 * a));
    out.push_back((-b - std::sqrt(s)) / (2 * a));
}

double cubicAt(double t, double p0, double p1, double p2, double p3) {
    const double mt = 1 - t;
    return mt * mt * mt * p0 + 3 * mt * mt * t * p1 + 3 * mt * t * t * p2 + t * t * t * p3;
}

// The interior extremes of the curve on both axes; the end points are the
// caller's business and the control points are never part of the box.
void includeCubicExtremes(Point2D p0, Point2D p1, Point2D p2, Point2D p3, BoundingBox& box) {
    Candidates candidates;
    appendStationaryParameters(p0.x, p1.x, p2.x, p3.x, candidates);
    appendStationaryParameters(p0.y, p1.y, p2.y, p3.y, candidates);
    for (std::size_t i = 0; i < candidates.count; ++i) {
        const double t = candidates.values[i];
        if (!(0 < t && t < 1)) continue;  // also drops NaN
        box.include(cubicAt(t, p0.x, p1.x, p2.x, p3.x), cubicAt(t, p0.y, p1.y, p2.y, p3.y));
    }
}

// Both points live in output coordinates and start at the output origin, so a
// cubic drawn before any move measures from (0, 0).
struct PathCursor {
    Point2D current;
    Point2D subpathStart;
};

void includePoint(Point2D p, BoundingBox& box) { box.include(p.x, p.y); }

void walkCommand(const PathCommand::MoveTo& move, const Transform2D& t, PathCursor& cursor, BoundingBox& box) {
    const Point2D p = t.apply(move.point);
    includePoint(p, box);
    cursor.current = p;
    cursor.subpathStart = p;
}

void walkCommand(const PathCommand::LineTo& line, const Transform2D& t, PathCursor& cursor, BoundingBox& box) {
    const Point2D p = t.apply(line.point);
    includePoint(p, box);
    cursor.current = p;
}

void walkCommand(const PathCommand::CubicBezier& cubic, const Transform2D& t, PathCursor& cursor,
                 BoundingBox& box) {
    const Point2D p1 = t.apply(cubic.c1);
    const Point2D p2 = t.apply(cubic.c2);
    const Point2D p3 = t.apply(cubic.end);
    includePoint(cursor.current, box);
    includePoint(p3, box);
    includeCubicExtremes(cursor.current, p1, p2, p3, box);
    cursor.current = p3;
}

// Arcs are measured as their chord: only the end point counts.
template <typename Arc>
void walkArc(const Arc& arc, const Transform2D& t, PathCursor& cursor, BoundingBox& box) {
    const Point2D p = t.apply(arc.end);
    includePoint(p, box);
    cursor.current = p;
}

void walkCommand(const PathCommand::ArcAC& arc, const Transform2D& t, PathCursor& cursor, BoundingBox& box) {
    walkArc(arc, t, cursor, box);
}

void walkCommand(const PathCommand::ArcAA& arc, const Transform2D& t, PathCursor& cursor, BoundingBox& box) {
    walkArc(arc, t, cursor, box);
}

void walkCommand(const PathCommand::ClosePath&, const Transform2D&, PathCursor& cursor, BoundingBox&) {
    cursor.current = cursor.subpathStart;
}

void walkPath(const std::vector<PathCommand>& commands, const Transform2D& t, BoundingBox& box) {
    PathCursor cursor;
    for (const PathCommand& command : commands) {
        std::visit([&](const auto& c) { walkCommand(c, t, cursor, box); }, command.value);
    }
}

void includeMapped(const Transform2D& t, double x, double y, BoundingBox& box) {
    includePoint(t.apply(x, y), box);
}

void includeObject(const LACObject& object, const Transform2D& t, const ParsedPaths& parsedPaths,
                   BoundingBox& box) {
    const LACObject::Kind& kind = object.kind;
    if (std::holds_alternative<LACObject::Path>(kind)) {
        const auto found = parsedPaths.find(object.id);
        if (found != parsedPaths.end()) walkPath(found->second, t, box);
    } else if (const auto* image = std::get_if<LACObject::RasterImage>(&kind)) {
        const double w = static_cast<double>(image->width);
        const double h = static_cast<double>(image->height);
        includeMapped(t, 0, 0, box);
        includeMapped(t, w, 0, box);
        includeMapped(t, w, h, box);
        includeMapped(t, 0, h, box);
    } else if (const auto* e = std::get_if<LACObject::Ellipse>(&kind)) {
        // The corners of the untransformed bounding rectangle: exact without
        // rotation or shear, and still containing with them.
        includeMapped(t, e->centerX - e->radiusX, e->centerY - e->radiusY, box);
        includeMapped(t, e->centerX + e->radiusX, e->centerY - e->radiusY, box);
        includeMapped(t, e->centerX - e->radiusX, e->centerY + e->radiusY, box);
        includeMapped(t, e->centerX + e->radiusX, e->centerY + e->radiusY, box);
    } else if (const auto* arc = std::get_if<LACObject::CenterPointArc>(&kind)) {
        includePoint(t.apply(arc->p0), box);
        includePoint(t.apply(arc->p1), box);
        includePoint(t.apply(arc->p2), box);
    }
    // Groups and unknown objects have no geometry of their own.
}

}  // namespace

namespace BoundingBoxBuilder {

BoundingBox compute(const std::vector<FlattenedNode>& nodes, const ParsedPaths& parsedPaths) {
    BoundingBox box = BoundingBox::empty();
    for (const FlattenedNode& node : nodes) {
        if (node.object != nullptr) includeObject(*node.object, node.transform, parsedPaths, box);
    }
    return box;
}

}  // namespace BoundingBoxBuilder

}  // namespace kerfwright
