#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "geometry/path_emitter.h"
#include "values/bounding_box.h"

namespace kerfwright {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

PathCommand moveTo(double x, double y) { return {PathCommand::MoveTo{{x, y}}}; }
PathCommand lineTo(double x, double y) { return {PathCommand::LineTo{{x, y}}}; }

void expectBox(const BoundingBox& box, double minX, double minY, double maxX, double maxY) {
    EXPECT_DOUBLE_EQ(box.minX, minX);
    EXPECT_DOUBLE_EQ(box.minY, minY);
    EXPECT_DOUBLE_EQ(box.maxX, maxX);
    EXPECT_DOUBLE_EQ(box.maxY, maxY);
}

// What one path with the given commands covers, as the emitter measures it.
BoundingBox measurePath(const std::vector<PathCommand>& commands,
                        const Transform2D& transform = Transform2D::identity()) {
    return PathEmitter::emit(commands, transform, false).bounds;
}

TEST(BoundingBoxTest, NothingMeasurableStaysEmptyAndUnpadded) {
    for (const auto& commands : {std::vector<PathCommand>{}, std::vector<PathCommand>{{PathCommand::ClosePath{}}}}) {
        BoundingBox box = measurePath(commands);
        box.include(BoundingBox::empty());
        EXPECT_TRUE(box.isEmpty());
        const BoundingBox padded = box.padded(5);
        EXPECT_TRUE(padded.isEmpty());
        EXPECT_EQ(padded.minX, std::numeric_limits<double>::infinity());
        EXPECT_EQ(padded.maxY, -std::numeric_limits<double>::infinity());
    }
}

TEST(BoundingBoxTest, SinglePointIsNotEmpty) {
    const BoundingBox box = measurePath({moveTo(3, 4)});
    EXPECT_FALSE(box.isEmpty());
    expectBox(box, 3, 4, 3, 4);
    EXPECT_EQ(box.width(), 0);
    EXPECT_EQ(box.height(), 0);
    expectBox(box.padded(5), -2, -1, 8, 9);
}

TEST(BoundingBoxTest, CubicCountsItsTopNotItsControlPoints) {
    const BoundingBox box = measurePath({moveTo(0, 0), {PathCommand::CubicBezier{{0, 10}, {10, 10}, {10, 0}}}});
    expectBox(box, 0, 0, 10, 7.5);
}

TEST(BoundingBoxTest, CubicExtremesOnBothAxesUnderTransform) {
    // A cubic with interior extremes in x as well: its x rises past 10 and
    // comes back. Scaled by 2 and shifted, so the extremes are found in
    // output coordinates.
    const Transform2D t{2, 0, 0, 2, 1, 1};
    const BoundingBox box = measurePath({moveTo(0, 0), {PathCommand::CubicBezier{{20, 10}, {20, 10}, {0, 0}}}}, t);
    // Mid-point of a symmetric loop: 0.75 * control offset.
    expectBox(box, 1, 1, 1 + 2 * 15, 1 + 2 * 7.5);
}

TEST(BoundingBoxTest, CubicBeforeAnyMoveIncludesOutputOrigin) {
    const BoundingBox box = measurePath({{PathCommand::CubicBezier{{6, 6}, {7, 7}, {8, 8}}}}, Transform2D{1, 0, 0, 1, 5, 5});
    expectBox(box, 0, 0, 13, 13);
}

TEST(BoundingBoxTest, LineDoesNotIncludeItsOwnStart) {
    // No move first: the output origin is not part of the box.
    expectBox(measurePath({lineTo(3, 4), lineTo(5, 6)}), 3, 4, 5, 6);
}

TEST(BoundingBoxTest, ArcIsMeasuredAsTheCubicDrawnForIt) {
    // A half circle drawn as one cubic bulges to 4/3 of the radius times
    // tan(pi/4) * 3/4 = 10 exactly at its middle.
    const BoundingBox box = measurePath({moveTo(10, 0), {PathCommand::ArcAC{{-10, 0}, {0, 0}}}});
    expectBox(box, -10, 0, 10, 10);
    // A quarter arc stays inside the square of its ends.
    expectBox(measurePath({moveTo(10, 0), {PathCommand::ArcAA{{0, 10}, {0, 0}}}}), 0, 0, 10, 10);
    // Without a move the arc starts at the output origin, which it does not include.
    const BoundingBox fromOrigin = measurePath({{PathCommand::ArcAC{{20, 0}, {10, 0}}}});
    expectBox(fromOrigin, 10, 0, 20, 10);
}

TEST(BoundingBoxTest, TwoHalfArcsHoldWhatIsDrawn) {
    // Two half arcs of radius 30 there and back: each exact half turn keeps
    // the side atan2 gives it, so both are drawn bulging up to y = 30, and
    // the box is 60 by 30, not the 60 by 0 of their end points.
    const BoundingBox box = measurePath(
        {moveTo(30, 0), {PathCommand::ArcAC{{-30, 0}, {0, 0}}}, {PathCommand::ArcAC{{30, 0}, {0, 0}}},
         {PathCommand::ClosePath{}}});
    EXPECT_DOUBLE_EQ(box.width(), 60);
    EXPECT_NEAR(box.height(), 30, 1e-9);
}

TEST(BoundingBoxTest, CubicAfterCloseStartsAtSubpathStart) {
    // From (0, 0) the dip bottoms out at exactly -7.5; from the last drawn
    // point (10, 10) it would be shallower.
    const BoundingBox box = measurePath({moveTo(0, 0), lineTo(10, 0), lineTo(10, 10), {PathCommand::ClosePath{}},
                                         {PathCommand::CubicBezier{{0, -10}, {0, -10}, {0, 0}}}});
    expectBox(box, 0, -7.5, 10, 10);
}

TEST(BoundingBoxTest, RotatedEllipseUsesRectangleCorners) {
    const double c = std::cos(3.141592653589793 / 4);
    const double s = std::sin(3.141592653589793 / 4);
    const BoundingBox box = PathEmitter::emitEllipse(0, 0, 10, 5, Transform2D{c, s, -s, c, 0, 0}).bounds;
    EXPECT_NEAR(box.minX, -10.6066, 1e-4);
    EXPECT_NEAR(box.minY, -10.6066, 1e-4);
    EXPECT_NEAR(box.maxX, 10.6066, 1e-4);
    EXPECT_NEAR(box.maxY, 10.6066, 1e-4);
}

TEST(BoundingBoxTest, CenterPointArcCountsItsPointsAndTheBulgeOfItsCubic) {
    // The half circle through the top: its middle point is also the cubic's top.
    expectBox(PathEmitter::emitCenterPointArc({10, 0}, {0, 10}, {-10, 0}, Transform2D::identity()).bounds, -10, 0,
              10, 10);
    // p1 fixes the circle only: the shorter way from p0 to p2 bulges below,
    // away from p1.
    const BoundingBox below =
        PathEmitter::emitCenterPointArc({10, 0}, {0, 10}, {0, -10}, Transform2D::identity()).bounds;
    EXPECT_DOUBLE_EQ(below.maxY, 10);
    EXPECT_LT(below.minY, -10 + 1e-9);
    EXPECT_GT(below.maxX, 7);
    // Collinear points make a polyline of exactly those points.
    expectBox(PathEmitter::emitCenterPointArc({0, 0}, {5, 5}, {10, 10}, Transform2D::identity()).bounds, 0, 0, 10,
              10);
}

TEST(BoundingBoxTest, UnionSkipsEmptyBoxes) {
    BoundingBox box;
    box.include(BoundingBox{0, -3, 4, 1});
    box.include(BoundingBox::empty());
    box.include(BoundingBox{10, 0, 14, 1});
    expectBox(box, 0, -3, 14, 1);
}

TEST(BoundingBoxTest, NaNCoordinatesLeaveTheirAxisUntouched) {
    // Mapping spreads a NaN to both coordinates (0 * NaN is NaN), so these
    // points add nothing on either axis.
    const BoundingBox box = measurePath({moveTo(1, 2), lineTo(kNaN, 5), lineTo(-3, kNaN)});
    expectBox(box, 1, 2, 1, 2);
    const BoundingBox cubic =
        measurePath({moveTo(1, 1), {PathCommand::CubicBezier{{kNaN, kNaN}, {kNaN, kNaN}, {2, 2}}}});
    expectBox(cubic, 1, 1, 2, 2);
}

TEST(BoundingBoxTest, IncludeComparesEachBoundSeparately) {
    BoundingBox box;
    box.include(kNaN, 4);
    EXPECT_TRUE(box.isEmpty());  // x never set
    EXPECT_EQ(box.minY, 4);
    EXPECT_EQ(box.maxY, 4);
    box.include(2, kNaN);
    EXPECT_FALSE(box.isEmpty());
    expectBox(box, 2, 4, 2, 4);
}

}  // namespace
}  // namespace kerfwright
