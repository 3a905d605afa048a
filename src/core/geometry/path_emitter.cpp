#include "geometry/path_emitter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

#include "text/svg_format.h"
#include "values/overloaded.h"

namespace kerfwright::PathEmitter {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kQuarterTurn = 1.5707963267948966;
// Control-point distance of a quarter circle as a fraction of its radius.
constexpr double kKappa = 0.5522847498;
// Room reserved up front, so that the text is written without growing: a
// letter and its blank per command, and a typical coordinate with its blank
// (eight or nine characters) per number.
constexpr std::size_t kReservePerCommand = 2;
constexpr std::size_t kReservePerNumber = 10;

constexpr std::size_t reservedLength(std::size_t commands, std::size_t numbers) {
    return commands * kReservePerCommand + numbers * kReservePerNumber;
}

// How many numbers a command is written with: two for a move or line, six
// for the cubic a curve or arc becomes, none for a close.
std::size_t writtenNumberCount(const PathCommand& command) {
    return std::visit(Overloaded{
                          [](const PathCommand::MoveTo&) { return 2; },
                          [](const PathCommand::LineTo&) { return 2; },
                          [](const PathCommand::ClosePath&) { return 0; },
                          [](const auto&) { return 6; },
                      },
                      command.value);
}

std::size_t reservedLength(const std::vector<PathCommand>& commands) {
    std::size_t numbers = 0;
    for (const PathCommand& command : commands) numbers += writtenNumberCount(command);
    return reservedLength(commands.size(), numbers);
}

// Below this |D| (square millimetres) three points count as collinear.
constexpr double kCollinearLimit = 1e-9;
// Below this a stationary-point polynomial coefficient counts as zero.
constexpr double kNegligible = 1e-12;

struct Cubic {
    Point2D c1;
    Point2D c2;
    Point2D end;
};

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

// The interior extremes of the curve from `start` on both axes; its end
// points are the caller's business and its control points are never part of
// the box.
void includeCubicExtremes(Point2D start, const Cubic& cubic, BoundingBox& box) {
    Candidates candidates;
    appendStationaryParameters(start.x, cubic.c1.x, cubic.c2.x, cubic.end.x, candidates);
    appendStationaryParameters(start.y, cubic.c1.y, cubic.c2.y, cubic.end.y, candidates);
    for (std::size_t i = 0; i < candidates.count; ++i) {
        const double t = candidates.values[i];
        if (!(0 < t && t < 1)) continue;  // also drops NaN
        box.include(cubicAt(t, start.x, cubic.c1.x, cubic.c2.x, cubic.end.x),
                    cubicAt(t, start.y, cubic.c1.y, cubic.c2.y, cubic.end.y));
    }
}

// The text of one command: its lead and its trail, four characters together
// at most, and at most six numbers with five blanks between them.
using CommandText = SVGFormat::NumberText<6, 4 + 5>;

// The text of one outline being written, with what it has drawn so far.
struct OutlineText {
    EmittedPath path;

    // `lead`, the points' numbers "x y" with blanks between, then `trail`:
    // set in a buffer of its own and appended once, rather than number by
    // number.
    void appendCommand(std::string_view lead, std::initializer_list<Point2D> points, std::string_view trail) {
        CommandText text;
        text.text(lead);
        bool finite = true;
        for (const Point2D& p : points) {
            if (&p != points.begin()) text.character(' ');
            finite = text.number(p.x) && finite;
            text.character(' ');
            finite = text.number(p.y) && finite;
        }
        text.text(trail);
        path.d.append(text.view());
        path.allFinite = finite && path.allFinite;
    }

    void appendCubicPiece(const Cubic& cubic) { appendCommand("C ", {cubic.c1, cubic.c2, cubic.end}, " "); }

    // A cubic drawn from `start`: its end and the extremes between; the
    // start is for the caller to add.
    void measureCubic(Point2D start, const Cubic& cubic) {
        path.bounds.include(cubic.end);
        includeCubicExtremes(start, cubic, path.bounds);
    }
};

// One cubic for the circular arc from start to end about center, the shorter way.
Cubic arcToCubic(Point2D start, Point2D end, Point2D center);

// The cubics an arc is written as: one for a sweep of at most a quarter turn,
// else two of half the sweep each, meeting on the circle halfway, as one
// cubic strays from its circle by up to 1.8 % of the radius on a half turn.
struct ArcCubics {
    std::array<Cubic, 2> cubics;
    std::size_t count = 1;
};
ArcCubics arcToCubics(Point2D start, Point2D end, Point2D center);

// Where the pen stands, in output coordinates; both begin at the output
// origin rather than at the transformed origin.
struct Pen {
    Point2D current;
    Point2D subpathStart;
    bool sawClose = false;
};

struct CommandWriter {
    const Transform2D& transform;
    OutlineText& outline;
    Pen& pen;

    void operator()(const PathCommand::MoveTo& move) const {
        const Point2D p = transform.apply(move.point);
        outline.appendCommand("M ", {p}, " ");
        outline.path.bounds.include(p);
        pen.current = p;
        pen.subpathStart = p;
    }
    void operator()(const PathCommand::LineTo& line) const {
        const Point2D p = transform.apply(line.point);
        outline.appendCommand("L ", {p}, " ");
        outline.path.bounds.include(p);
        pen.current = p;
    }
    // A cubic of the data is measured from its start too; an arc is not.
    void operator()(const PathCommand::CubicBezier& cubic) const {
        const Cubic mapped{transform.apply(cubic.c1), transform.apply(cubic.c2), transform.apply(cubic.end)};
        outline.appendCubicPiece(mapped);
        outline.path.bounds.include(pen.current);
        outline.measureCubic(pen.current, mapped);
        pen.current = mapped.end;
    }
    void operator()(const PathCommand::ArcAC& arc) const { writeArc(arc.end, arc.center); }
    void operator()(const PathCommand::ArcAA& arc) const { writeArc(arc.end, arc.center); }
    void operator()(const PathCommand::ClosePath&) const {
        outline.path.d += "Z ";
        pen.current = pen.subpathStart;
        pen.sawClose = true;
    }

    // The arc is built from already transformed points, so it stays circular
    // in output coordinates whatever the transform does to circles. It is
    // measured as the cubics drawn, which can bulge beyond their ends.
    void writeArc(Point2D end, Point2D center) const {
        const ArcCubics arc = arcToCubics(pen.current, transform.apply(end), transform.apply(center));
        for (std::size_t i = 0; i < arc.count; ++i) {
            outline.appendCubicPiece(arc.cubics[i]);
            outline.measureCubic(pen.current, arc.cubics[i]);
            pen.current = arc.cubics[i].end;
        }
    }
};

// Only the blank after the last command can be left over: every command
// starts with its letter.
void dropTrailingBlank(std::string& text) {
    if (!text.empty() && text.back() == ' ') text.pop_back();
}

// Closes the outline when its object is closed and no command closed it
// (an explicit close anywhere already does), and drops the last blank.
void finishOutline(OutlineText& outline, const Pen& pen, bool isClosed) {
    if (isClosed && !pen.sawClose) outline.path.d += 'Z';
    dropTrailingBlank(outline.path.d);
}

// The most room a thread keeps for writing the next outline: that of a
// path of some 16,000 commands.
constexpr std::size_t kMostScratchKept = 1 << 20;

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

EmittedPath emit(const std::vector<PathCommand>& commands, const Transform2D& transform, bool isClosed) {
    OutlineText outline;
    outline.path.d.reserve(reservedLength(commands));
    Pen pen;
    const CommandWriter writer{transform, outline, pen};
    for (const PathCommand& command : commands) std::visit(writer, command.value);
    finishOutline(outline, pen, isClosed);
    return std::move(outline.path);
}

EmittedPath emitData(std::string_view data, const Transform2D& transform, bool isClosed,
                     std::vector<PathParseWarning>& warnings) {
    // The text is written into this thread's scratch buffer, whose room stays
    // from one outline to the next, and then copied once into a string of
    // its length: the commands are not counted ahead to reserve it.
    thread_local std::string scratch;
    OutlineText outline;
    outline.path.d.swap(scratch);
    outline.path.d.clear();
    Pen pen;
    const CommandWriter writer{transform, outline, pen};
    warnings = PathParser::parseEach(data, [&](const PathCommand& command) { std::visit(writer, command.value); });
    finishOutline(outline, pen, isClosed);
    EmittedPath path{std::string(outline.path.d), outline.path.bounds, outline.path.allFinite};
    if (outline.path.d.capacity() <= kMostScratchKept) scratch.swap(outline.path.d);
    return path;
}

EmittedPath emitEllipse(double centerX, double centerY, double radiusX, double radiusY,
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

    OutlineText outline;
    outline.path.d.reserve(reservedLength(6, 26));
    outline.appendCommand("M ", {mapped[0]}, "");
    for (int segment = 0; segment < 4; ++segment) {
        const int first = 1 + 3 * segment;
        outline.appendCommand(" C ", {mapped[first], mapped[first + 1], mapped[(first + 2) % 12]}, "");
    }
    outline.path.d += " Z";
    // Measured as the four cubics drawn: their ends and interior extremes.
    // An ellipse that is not turned reaches no further than its ends, the
    // corners of its rectangle; a turned one no further than its curve.
    outline.path.bounds.include(mapped[0]);
    for (int segment = 0; segment < 4; ++segment) {
        const int first = 1 + 3 * segment;
        outline.measureCubic(mapped[first - 1], {mapped[first], mapped[first + 1], mapped[(first + 2) % 12]});
    }
    return std::move(outline.path);
}

EmittedPath emitCenterPointArc(Point2D p0, Point2D p1, Point2D p2, const Transform2D& transform) {
    const std::optional<Point2D> center = circumcenter(p0, p1, p2);
    const Point2D start = transform.apply(p0);
    const Point2D middle = transform.apply(p1);
    const Point2D end = transform.apply(p2);
    OutlineText outline;
    outline.path.d.reserve(reservedLength(3, 14));
    outline.path.bounds.include(start);
    outline.appendCommand("M ", {start}, "");
    if (!center) {
        outline.appendCommand(" L ", {middle}, "");
        outline.appendCommand(" L ", {end}, "");
        outline.path.bounds.include(middle);
        outline.path.bounds.include(end);
        return std::move(outline.path);
    }
    // p1 only fixes the circle; the arc takes the shorter way to p2, and is
    // measured as drawn.
    const ArcCubics arc = arcToCubics(start, end, transform.apply(*center));
    Point2D from = start;
    for (std::size_t i = 0; i < arc.count; ++i) {
        const Cubic& cubic = arc.cubics[i];
        outline.appendCommand(" C ", {cubic.c1, cubic.c2, cubic.end}, "");
        outline.measureCubic(from, cubic);
        from = cubic.end;
    }
    return std::move(outline.path);
}

namespace {

// The turn from start to end about center, the shorter way round; an exact
// half turn keeps the sign atan2 gave it.
double sweepOf(Point2D start, Point2D end, Point2D center) {
    double sweep = std::atan2(end.y - center.y, end.x - center.x) - std::atan2(start.y - center.y, start.x - center.x);
    if (sweep > kPi) sweep -= kTwoPi;
    if (sweep < -kPi) sweep += kTwoPi;
    return sweep;
}

ArcCubics arcToCubics(Point2D start, Point2D end, Point2D center) {
    const double sweep = sweepOf(start, end, center);
    if (!(std::fabs(sweep) > kQuarterTurn)) return {{arcToCubic(start, end, center)}, 1};
    // Halfway round, at the mean of the two ends' distances from the centre.
    const double angle = std::atan2(start.y - center.y, start.x - center.x) + sweep / 2;
    const double radius =
        (std::hypot(start.x - center.x, start.y - center.y) + std::hypot(end.x - center.x, end.y - center.y)) / 2;
    const Point2D middle{center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)};
    return {{arcToCubic(start, middle, center), arcToCubic(middle, end, center)}, 2};
}

Cubic arcToCubic(Point2D start, Point2D end, Point2D center) {
    const double sweep = sweepOf(start, end, center);
    const double k = (4.0 / 3.0) * std::tan(sweep / 4);
    // Control points lie along the tangents, each scaled by its own point's
    // distance from the centre, so the curve ends exactly at `end`.
    const Point2D c1{start.x - k * (start.y - center.y), start.y + k * (start.x - center.x)};
    const Point2D c2{end.x + k * (end.y - center.y), end.y - k * (end.x - center.x)};
    return {c1, c2, end};
}

}  // namespace

}  // namespace kerfwright::PathEmitter
