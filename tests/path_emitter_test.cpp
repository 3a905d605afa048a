#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/path_emitter.h"

namespace kerfwright {
namespace {

using Commands = std::vector<PathCommand>;

PathCommand moveTo(double x, double y) { return {PathCommand::MoveTo{{x, y}}}; }
PathCommand lineTo(double x, double y) { return {PathCommand::LineTo{{x, y}}}; }
PathCommand cubic(Point2D c1, Point2D c2, Point2D end) { return {PathCommand::CubicBezier{c1, c2, end}}; }
PathCommand arcAC(Point2D end, Point2D center) { return {PathCommand::ArcAC{end, center}}; }
PathCommand arcAA(Point2D end, Point2D center) { return {PathCommand::ArcAA{end, center}}; }
PathCommand closePath() { return {PathCommand::ClosePath{}}; }

Transform2D translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
Transform2D scale(double s) { return {s, 0, 0, s, 0, 0}; }

struct EmitCase {
    const char* name;
    Commands commands;
    Transform2D transform;
    bool isClosed;
    std::string expected;
};

class PathEmitterEmitTest : public testing::TestWithParam<EmitCase> {};

TEST_P(PathEmitterEmitTest, WritesExactPathData) {
    const EmitCase& c = GetParam();
    EXPECT_EQ(PathEmitter::emit(c.commands, c.transform, c.isClosed).d, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, PathEmitterEmitTest,
    testing::Values(
        EmitCase{"QuarterArcClosed",
                 {moveTo(0, 0), lineTo(10, 0), arcAC({0, 10}, {0, 0})},
                 Transform2D::identity(), true,
                 "M 0 0 L 10 0 C 10 5.5228 5.5228 10 0 10 Z"},
        EmitCase{"ArcAATranslatedOpen",
                 {moveTo(0, 0), lineTo(10, 0), arcAA({0, 10}, {0, 0})},
                 translation(20, 30), false,
                 "M 20 30 L 30 30 C 30 35.5228 25.5228 40 20 40"},
        EmitCase{"EmptyOpen", {}, Transform2D::identity(), false, ""},
        EmitCase{"EmptyClosedIsLoneZ", {}, Transform2D::identity(), true, "Z"},
        EmitCase{"TrailingCloseNoBlankNoSecondZ",
                 {moveTo(0, 0), lineTo(10, 0), closePath()},
                 Transform2D::identity(), true,
                 "M 0 0 L 10 0 Z"},
        EmitCase{"EarlierCloseSuppressesFinalZ",
                 {moveTo(0, 0), closePath(), lineTo(5, 5)},
                 Transform2D::identity(), true,
                 "M 0 0 Z L 5 5"},
        EmitCase{"ClosedFlagAppendsZ",
                 {moveTo(1, 1), lineTo(2, 2)},
                 Transform2D::identity(), true,
                 "M 1 1 L 2 2 Z"},
        EmitCase{"ArcAfterCloseStartsAtSubpathStart",
                 {moveTo(0, 0), lineTo(10, 0), closePath(), arcAC({0, -10}, {5, -5})},
                 Transform2D::identity(), false,
                 "M 0 0 L 10 0 Z C -2.7614 -2.7614 -2.7614 -7.2386 0 -10"},
        // The start is the output origin, not the translated origin (100, 100).
        EmitCase{"ArcBeforeMoveStartsAtOutputOrigin",
                 {arcAC({10, 0}, {0, 0})},
                 translation(100, 100), false,
                 "C 89.0905 -89.0905 110 91.091 110 100"},
        EmitCase{"CubicUnderScale",
                 {moveTo(1, 2), cubic({3, 4}, {5, 6}, {7, 8})},
                 scale(2), false,
                 "M 2 4 C 6 8 10 12 14 16"},
        EmitCase{"NearZeroIsNeverNegativeZero",
                 {moveTo(-0.00004, -0.0), lineTo(-0.0, 1.23456)},
                 Transform2D::identity(), false,
                 "M 0 0 L 0 1.2346"},
        EmitCase{"RoundsToWholeWithoutPoint",
                 {moveTo(10.00001, -5)},
                 Transform2D::identity(), false,
                 "M 10 -5"}),
    [](const testing::TestParamInfo<EmitCase>& info) { return std::string(info.param.name); });

TEST(PathEmitterTest, EllipseGolden) {
    EXPECT_EQ(PathEmitter::emitEllipse(0, 0, 10, 5, Transform2D::identity()).d,
              "M 10 0 C 10 2.7614 5.5228 5 0 5 C -5.5228 5 -10 2.7614 -10 0 "
              "C -10 -2.7614 -5.5228 -5 0 -5 C 5.5228 -5 10 -2.7614 10 0 Z");
}

TEST(PathEmitterTest, EllipseMapsEveryPointThroughTheTransform) {
    EXPECT_EQ(PathEmitter::emitEllipse(1, 2, 10, 5, translation(-1, -2)).d,
              "M 10 0 C 10 2.7614 5.5228 5 0 5 C -5.5228 5 -10 2.7614 -10 0 "
              "C -10 -2.7614 -5.5228 -5 0 -5 C 5.5228 -5 10 -2.7614 10 0 Z");
}

struct CenterArcCase {
    const char* name;
    Point2D p0, p1, p2;
    std::string expected;
};

class PathEmitterCenterArcTest : public testing::TestWithParam<CenterArcCase> {};

TEST_P(PathEmitterCenterArcTest, WritesExactPathData) {
    const CenterArcCase& c = GetParam();
    EXPECT_EQ(PathEmitter::emitCenterPointArc(c.p0, c.p1, c.p2, Transform2D::identity()).d, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, PathEmitterCenterArcTest,
    testing::Values(
        CenterArcCase{"HalfTurn", {10, 0}, {0, 10}, {-10, 0}, "M 10 0 C 10 13.3333 -10 13.3333 -10 0"},
        // p1 only fixes the circle: the shorter way is taken even though p1
        // lies on the longer one.
        CenterArcCase{"ShorterWayIgnoresMiddlePoint", {10, 0}, {0, -10}, {0, 10},
                      "M 10 0 C 10 5.5228 5.5228 10 0 10"},
        CenterArcCase{"CollinearIsPolyline", {0, 0}, {5, 0}, {10, 0}, "M 0 0 L 5 0 L 10 0"}),
    [](const testing::TestParamInfo<CenterArcCase>& info) { return std::string(info.param.name); });

TEST(PathEmitterTest, CenterPointArcUsesTransformedCentre) {
    EXPECT_EQ(PathEmitter::emitCenterPointArc({10, 0}, {0, 10}, {-10, 0}, translation(5, 5)).d,
              "M 15 5 C 15 18.3333 -5 18.3333 -5 5");
}

// One arc drawn from (10, 0): the control points of the cubic made for it.
std::string arcFrom10(Point2D end, Point2D center) {
    return PathEmitter::emit({moveTo(10, 0), arcAC(end, center)}, Transform2D::identity(), false).d;
}

TEST(PathEmitterTest, ArcCubicsTable) {
    // An exact half turn keeps the side atan2 gives it; just short of one,
    // the arc takes the shorter way.
    EXPECT_EQ(arcFrom10({-10, 0}, {0, 0}), "M 10 0 C 10 13.3333 -10 13.3333 -10 0");
    EXPECT_EQ(arcFrom10({-10, -1e-9}, {0, 0}), "M 10 0 C 10 -13.3333 -10 -13.3333 -10 0");
    // Equal start and end collapse onto the point.
    EXPECT_EQ(arcFrom10({10, 0}, {0, 0}), "M 10 0 C 10 0 10 0 10 0");
    // An end twice as far from the centre as the start: no radius is
    // assumed, and the curve ends exactly at the end.
    EXPECT_EQ(arcFrom10({0, 20}, {0, 0}), "M 10 0 C 10 5.5228 11.0457 20 0 20");
}

TEST(PathEmitterTest, ReportsNumbersThatCannotBeWritten) {
    const double huge = 1e305;  // finite, but not once scaled to four places
    EXPECT_TRUE(PathEmitter::emit({moveTo(1e300, 0)}, Transform2D::identity(), false).allFinite);
    EXPECT_FALSE(PathEmitter::emit({moveTo(huge, 0)}, Transform2D::identity(), false).allFinite);
    EXPECT_FALSE(PathEmitter::emit({moveTo(0, 0), lineTo(std::nan(""), 1)}, Transform2D::identity(), false).allFinite);
    EXPECT_FALSE(PathEmitter::emitEllipse(0, 0, INFINITY, 1, Transform2D::identity()).allFinite);
    EXPECT_FALSE(PathEmitter::emitCenterPointArc({0, 0}, {1, 1}, {2, std::nan("")}, Transform2D::identity()).allFinite);
    EXPECT_TRUE(PathEmitter::emitCenterPointArc({10, 0}, {0, 10}, {-10, 0}, Transform2D::identity()).allFinite);
}

}  // namespace
}  // namespace kerfwright
