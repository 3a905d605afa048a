// The box as a value; what outlines cover is in cases/outlines.tsv.

#include "values/bounding_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kerfwright {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectBox(const BoundingBox& box, double minX, double minY, double maxX, double maxY) {
    EXPECT_EQ(box.minX, minX);
    EXPECT_EQ(box.minY, minY);
    EXPECT_EQ(box.maxX, maxX);
    EXPECT_EQ(box.maxY, maxY);
}

TEST(BoundingBoxTest, EmptyStaysEmptyAndUnpadded) {
    BoundingBox box;
    box.include(BoundingBox::empty());
    EXPECT_TRUE(box.isEmpty());
    const BoundingBox padded = box.padded(5);
    EXPECT_TRUE(padded.isEmpty());
    EXPECT_EQ(padded.minX, std::numeric_limits<double>::infinity());
    EXPECT_EQ(padded.maxY, -std::numeric_limits<double>::infinity());
}

TEST(BoundingBoxTest, SinglePointIsNotEmptyAndPadsAllRound) {
    BoundingBox box;
    box.include(3, 4);
    EXPECT_FALSE(box.isEmpty());
    EXPECT_EQ(box.width(), 0);
    EXPECT_EQ(box.height(), 0);
    expectBox(box.padded(5), -2, -1, 8, 9);
}

TEST(BoundingBoxTest, UnionSkipsEmptyBoxes) {
    BoundingBox box;
    box.include(BoundingBox{0, -3, 4, 1});
    box.include(BoundingBox::empty());
    box.include(BoundingBox{10, 0, 14, 1});
    expectBox(box, 0, -3, 14, 1);
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
