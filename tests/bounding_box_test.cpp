#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "values/bounding_box.h"
#include "scene/flattener.h"

namespace kerfwright {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

LACObject objectWith(std::int64_t id, LACObject::Kind kind) {
    LACObject object;
    object.id = id;
    object.kind = std::move(kind);
    return object;
}

PathCommand moveTo(double x, double y) { return {PathCommand::MoveTo{{x, y}}}; }
PathCommand lineTo(double x, double y) { return {PathCommand::LineTo{{x, y}}}; }

void expectBox(const BoundingBox& box, double minX, double minY, double maxX, double maxY) {
    EXPECT_DOUBLE_EQ(box.minX, minX);
    EXPECT_DOUBLE_EQ(box.minY, minY);
    EXPECT_DOUBLE_EQ(box.maxX, maxX);
    EXPECT_DOUBLE_EQ(box.maxY, maxY);
}

// Measures one path object with the given commands.
BoundingBox measurePath(const std::vector<PathCommand>& commands,
                        const Transform2D& transform = Transform2D::identity()) {
    const LACObject path = objectWith(7, LACObject::Path{"", false});
    const ParsedPaths parsed{{7, commands}};
    return BoundingBoxBuilder::compute({FlattenedNode{&path, transform, nullptr}}, parsed);
}

TEST(BoundingBoxTest, NothingMeasurableStaysEmptyAndUnpadded) {
    const LACObject group = objectWith(1, LACObject::Group{});
    const LACObject unknown = objectWith(2, LACObject::Unknown{});
    const LACObject unparsedPath = objectWith(3, LACObject::Path{"M 0 0", false});
    const std::vector<FlattenedNode> nodes{{&group, {}, nullptr}, {&unknown, {}, nullptr}, {&unparsedPath, {}, nullptr}};

    for (const auto& input : {std::vector<FlattenedNode>{}, nodes}) {
        const BoundingBox box = BoundingBoxBuilder::compute(input, {});
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

TEST(BoundingBoxTest, ArcIsMeasuredAsItsChord) {
    const BoundingBox box = measurePath({moveTo(10, 0), {PathCommand::ArcAC{{-10, 0}, {0, 0}}}});
    expectBox(box, -10, 0, 10, 0);
    EXPECT_EQ(box.height(), 0);
    expectBox(measurePath({moveTo(10, 0), {PathCommand::ArcAA{{0, 10}, {100, 100}}}}), 0, 0, 10, 10);
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
    const LACObject ellipse = objectWith(1, LACObject::Ellipse{0, 0, 10, 5});
    const BoundingBox box = BoundingBoxBuilder::compute({{&ellipse, Transform2D{c, s, -s, c, 0, 0}, nullptr}}, {});
    EXPECT_NEAR(box.minX, -10.6066, 1e-4);
    EXPECT_NEAR(box.minY, -10.6066, 1e-4);
    EXPECT_NEAR(box.maxX, 10.6066, 1e-4);
    EXPECT_NEAR(box.maxY, 10.6066, 1e-4);
}

TEST(BoundingBoxTest, RasterImageCornersInPixelUnits) {
    const LACObject image = objectWith(1, LACObject::RasterImage{"a.png", 200, 100});
    const BoundingBox box = BoundingBoxBuilder::compute({{&image, Transform2D{0.1, 0, 0, 0.1, 5, 5}, nullptr}}, {});
    expectBox(box, 5, 5, 25, 15);
}

TEST(BoundingBoxTest, CenterPointArcCountsItsThreePointsOnly) {
    const LACObject arc = objectWith(1, LACObject::CenterPointArc{{10, 0}, {0, 10}, {-10, 0}, 3.14});
    const BoundingBox box = BoundingBoxBuilder::compute({{&arc, Transform2D::identity(), nullptr}}, {});
    expectBox(box, -10, 0, 10, 10);
}

TEST(BoundingBoxTest, NodesAccumulateAndPathsAreFoundById) {
    const LACObject first = objectWith(1, LACObject::Path{});
    const LACObject second = objectWith(2, LACObject::Path{});
    const ParsedPaths parsed{{1, {moveTo(0, 0)}}, {2, {moveTo(1, 1), lineTo(4, -3)}}};
    const BoundingBox box = BoundingBoxBuilder::compute(
        {{&first, Transform2D::identity(), nullptr}, {&second, Transform2D{1, 0, 0, 1, 10, 0}, nullptr}}, parsed);
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
