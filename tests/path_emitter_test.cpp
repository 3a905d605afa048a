#include "geometry/path_emitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"

namespace kerfwright {
namespace {

PathCommand moveTo(double x, double y) { return {PathCommand::MoveTo{{x, y}}}; }
PathCommand lineTo(double x, double y) { return {PathCommand::LineTo{{x, y}}}; }

Transform2D translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }

Transform2D placementOf(const std::string& text) {
    std::istringstream numbers(text);
    Transform2D t;
    numbers >> t.a >> t.b >> t.c >> t.d >> t.tx >> t.ty;
    return t;
}

TEST(PathEmitterEmit, Cases) {
    for (const testing::Case& c : testing::readCases("path-emit.tsv", 4)) {
        const std::vector<PathCommand> commands = PathParser::parse(c.fields[0]).commands;
        const bool closed = c.fields[2] == "yes";
        EXPECT_EQ(PathEmitter::emit(commands, placementOf(c.fields[1]), closed).d, c.fields[3]) << c.where;
    }
}

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

class PathEmitterCenterArcTest : public ::testing::TestWithParam<CenterArcCase> {};

TEST_P(PathEmitterCenterArcTest, WritesExactPathData) {
    const CenterArcCase& c = GetParam();
    EXPECT_EQ(PathEmitter::emitCenterPointArc(c.p0, c.p1, c.p2, Transform2D::identity()).d, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, PathEmitterCenterArcTest,
    ::testing::Values(
        CenterArcCase{"HalfTurn", {10, 0}, {0, 10}, {-10, 0}, "M 10 0 C 10 13.3333 -10 13.3333 -10 0"},
        // p1 only fixes the circle: the shorter way is taken even though p1
        // lies on the longer one.
        CenterArcCase{"ShorterWayIgnoresMiddlePoint", {10, 0}, {0, -10}, {0, 10},
                      "M 10 0 C 10 5.5228 5.5228 10 0 10"},
        CenterArcCase{"CollinearIsPolyline", {0, 0}, {5, 0}, {10, 0}, "M 0 0 L 5 0 L 10 0"}),
    [](const ::testing::TestParamInfo<CenterArcCase>& info) { return std::string(info.param.name); });

TEST(PathEmitterTest, CenterPointArcUsesTransformedCentre) {
    EXPECT_EQ(PathEmitter::emitCenterPointArc({10, 0}, {0, 10}, {-10, 0}, translation(5, 5)).d,
              "M 15 5 C 15 18.3333 -5 18.3333 -5 5");
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
