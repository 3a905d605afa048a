#include "geometry/path_emitter.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <variant>

#include "writers/svg_format.h"

namespace kerfwright::PathEmitter {

namespace {

constexpr int kPrecision = 4;
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
// Control-point distance of a quarter circle as a fraction of its radius.
constexpr double kKappa = 0.5522847498;
// Room per command reserved up front: a typical "L x y " fits.
constexpr std::size_t kReservePerCommand = 16;
// Below this |D| (square millimetres) three points count as collinear.
constexpr double kCollinearLimit = 1e-9;

void appendNumber(std::string& out, double value) { SVGFormat::appendNum(out, value, kPrecision); }

// "x y", without separators around it.
void appendPoint(std::string& out, Point2D p) {
    appendNumber(out, p.x);
    out += ' ';
    appendNumber(out, p.y);
}

// "x y " - the form of every point inside emitted path commands.
void appendPointWithBlank(std::string& out, Point2D p) {
    appendPoint(out, p);
    out += ' ';
}

void appendCubicPiece(std::string& out, const Cubic& cubic) {
    out += "C ";
    appendPointWithBlank(out, cubic.c1);
    appendPointWithBlank(out, cubic.c2);
    appendPointWithBlank(out, cubic.end);
}

// Where the pen stands, in output coordinates; both begin at the output
// origin rather than at the transformed origin.
struct Pen {
    Point2D current;
    Point2D subpathStart;
    bool sawClose = false;
};

struct CommandWriter {
    const Transform2D& transform;
    std::string& out;
    Pen& pen;

    void operator()(const PathCommand::MoveTo& move) const {
        const Point2D p = transform.apply(move.point);
        out += "M ";
        appendPointWithBlank(out, p);
        pen.current = p;
        pen.subpathStart = p;
    }
    void operator()(const PathCommand::LineTo& line) const {
        const Point2D p = transform.apply(line.point);
        out += "L ";
        appendPointWithBlank(out, p);
        pen.current = p;
    }
    void operator()(const PathCommand::CubicBezier& cubic) const {
        const Cubic mapped{transform.apply(cubic.c1), transform.apply(cubic.c2), transform.apply(cubic.end)};
        appendCubicPiece(out, mapped);
        pen.current = mapped.end;
    }
    void operator()(const PathCommand::ArcAC& arc) const { writeArc(arc.end, arc.center); }
    void operator()(const PathCommand::ArcAA& arc) const { writeArc(arc.end, arc.center); }
    void operator()(const PathCommand::ClosePath&) const {
        out += "Z ";
        pen.current = pen.subpathStart;
        pen.sawClose = true;
    }

    // The arc is built from already transformed points, so it stays circular
    // in output coordinates whatever the transform does to circles.
    void writeArc(Point2D end, Point2D center) const {
        const Point2D mappedEnd = transform.apply(end);
        appendCubicPiece(out, arcToCubic(pen.current, mappedEnd, transform.apply(center)));
        pen.current = mappedEnd;
    }
};

bool isHorizontalSpace(char c) { return c == ' ' || c == '\t'; }

std::string trimmedHorizontalSpace(std::string text) {
    std::size_t end = text.size();
    while (end > 0 && isHorizontalSpace(text[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && isHorizontalSpace(text[begin])) ++begin;
    text.erase(end);
    text.erase(0, begin);
    return text;
}

// The centre of the circle through three points, or nothing when they are
// (nearly) on one line.
std::optional<Point2D> circumcenter(Point2D p0, Point2D p1, Point2D p2) {
    const double d = 2 * (p0.x * (p1.y - p2.y) + p1.x * (p2.y - p0.y) + p2.x * (p0.y - p1.y));
    if (std::fabs(d) < kCollinearLimit) return std::nullopt;
    const double s0 = p0.x * p0.x + p0.y * p0.y;
    const double s1 = p1.x * p1.x + p1.y * p1.y;
    const double s2 = p2.x * p2.x + p2.y * p2.y;
    const double x = (s0 * (p1.y - p2.y) + s1 * (p2.y - p0.y) + s2 * (p0.y - p1.y)) / d;
    const double y = (s0 * (p2.x - p1.x) + s1 * (p0.x - p2.x) + s2 * (p1.x - p0.x)) / d;
    return Point2D{x, y};
}

}  // namespace

std::string emit(const std::vector<PathCommand>& commands, const Transform2D& transform, bool isClosed) {
    std::string out;
    out.reserve(commands.size() * kReservePerCommand);
    Pen pen;
    const CommandWriter writer{transform, out, pen};
    for (const PathCommand& command : commands) std::visit(writer, command.value);
    // An explicit close anywhere in the list already closes the outline.
    if (isClosed && !pen.sawClose) out += 'Z';
    return trimmedHorizontalSpace(std::move(out));
}

std::string emitEllipse(double centerX, double centerY, double radiusX, double radiusY,
                        const Transform2D& transform) {
    const double kx = radiusX * kKappa;
    const double ky = radiusY * kKappa;
    const double cx = centerX;
    const double cy = centerY;
    // Four quarter cubics, counter-clockwise in object coordinates from the
    // rightmost point back to it.
    const Point2D points[12] = {
        {cx + radiusX, cy},      {cx + radiusX, cy + ky}, {cx + kx, cy + radiusY},
        {cx, cy + radiusY},      {cx - kx, cy + radiusY}, {cx - radiusX, cy + ky},
        {cx - radiusX, cy},      {cx - radiusX, cy - ky}, {cx - kx, cy - radiusY},
        {cx, cy - radiusY},      {cx + kx, cy - radiusY}, {cx + radiusX, cy - ky},
    };
    Point2D mapped[12];
    for (int i = 0; i < 12; ++i) mapped[i] = transform.apply(points[i]);

    std::string out;
    out.reserve(12 * kReservePerCommand);
    out += "M ";
    appendPoint(out, mapped[0]);
    for (int segment = 0; segment < 4; ++segment) {
        const int first = 1 + 3 * segment;
        out += " C ";
        appendPoint(out, mapped[first]);
        out += ' ';
        appendPoint(out, mapped[first + 1]);
        out += ' ';
        appendPoint(out, mapped[(first + 2) % 12]);
    }
    out += " Z";
    return out;
}

std::string emitCenterPointArc(Point2D p0, Point2D p1, Point2D p2, const Transform2D& transform) {
    const std::optional<Point2D> center = circumcenter(p0, p1, p2);
    const Point2D start = transform.apply(p0);
    std::string out;
    out.reserve(8 * kReservePerCommand);
    out += "M ";
    appendPoint(out, start);
    if (!center) {
        out += " L ";
        appendPoint(out, transform.apply(p1));
        out += " L ";
        appendPoint(out, transform.apply(p2));
        return out;
    }
    // p1 only fixes the circle; the arc takes the shorter way to p2.
    const Cubic cubic = arcToCubic(start, transform.apply(p2), transform.apply(*center));
    out += " C ";
    appendPoint(out, cubic.c1);
    out += ' ';
    appendPoint(out, cubic.c2);
    out += ' ';
    appendPoint(out, cubic.end);
    return out;
}

Cubic arcToCubic(Point2D start, Point2D end, Point2D center) {
    double sweep = std::atan2(end.y - center.y, end.x - center.x) - std::atan2(start.y - center.y, start.x - center.x);
    // The shorter way round; an exact half turn keeps the sign atan2 gave it.
    if (sweep > kPi) sweep -= kTwoPi;
    if (sweep < -kPi) sweep += kTwoPi;
    const double k = (4.0 / 3.0) * std::tan(sweep / 4);
    // Control points lie along the tangents, each scaled by its own point's
    // distance from the centre, so the curve ends exactly at `end`.
    const Point2D c1{start.x - k * (start.y - center.y), start.y + k * (start.x - center.x)};
    const Point2D c2{end.x + k * (end.y - center.y), end.y - k * (end.x - center.x)};
    return {c1, c2, end};
}

}  // namespace kerfwright::PathEmitter
