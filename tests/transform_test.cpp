#include "values/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <variant>

#include "support/case_file.h"
#include "text/number_text.h"

namespace kerfwright {
namespace {

// The six numbers read ("nan", "-0" and "inf" as such), or the failure's description.
std::string parseText(const std::string& text) {
    const auto result = Transform2D::parse(text);
    if (const auto* error = std::get_if<Transform2D::ParseError>(&result)) {
        EXPECT_EQ(error->text, text);
        return error->description();
    }
    const Transform2D& t = std::get<Transform2D>(result);
    std::string out;
    for (const double v : {t.a, t.b, t.c, t.d, t.tx, t.ty}) {
        out += (out.empty() ? "" : " ") + (std::isnan(v) ? std::string("nan") : text::shortestRoundTrip(v));
    }
    return out;
}

TEST(Transform2DParse, Cases) {
    for (const testing::Case& c : testing::readCases("transforms.tsv", 2)) EXPECT_EQ(parseText(c.fields[0]), c.fields[1]) << c.where;
}

TEST(Transform2DApply, MapsAsAnSvgMatrix) {
    const Transform2D t{2, 3, 4, 5, 6, 7};
    EXPECT_EQ(t.apply(1, 10), (Point2D{2 + 40 + 6, 3 + 50 + 7}));
    EXPECT_EQ(Transform2D::identity().apply(Point2D{-1.5, 2.25}), (Point2D{-1.5, 2.25}));
}

TEST(Transform2DApply, SumsLeftToRight) {
    // (a*x + c*y) + tx differs from a*x + (c*y + tx) here.
    const Transform2D t{1, 0, 1, 0, -1, 0};
    EXPECT_EQ(t.apply(1.0, 1e-16).x, 0.0);
}

TEST(Transform2DMultiply, OtherActsFirst) {
    const Transform2D s{1, 0, 0, 1, 10, 0};
    const Transform2D r{2, 0, 0, 2, 0, 0};
    EXPECT_EQ(s.multiplied(r).apply(1, 1), (Point2D{12, 2}));
    EXPECT_EQ(r.multiplied(s).apply(1, 1), (Point2D{22, 2}));
}

TEST(Transform2DMultiply, IdentityIsNeutral) {
    const Transform2D samples[] = {{2, 3, 4, 5, 6, 7}, {0.5, -0.25, 1e-3, 7, -12.5, 1e6}, {-1, 0, 0, -1, 0, 0}};
    for (const Transform2D& t : samples) {
        EXPECT_EQ(Transform2D::identity().multiplied(t), t);
        EXPECT_EQ(t.multiplied(Transform2D::identity()), t);
    }
}

TEST(Transform2DMultiply, FieldByField) {
    const Transform2D t{1, 2, 3, 4, 5, 6};
    const Transform2D u{7, 8, 9, 10, 11, 12};
    EXPECT_EQ(t.multiplied(u), (Transform2D{1 * 7 + 3 * 8, 2 * 7 + 4 * 8, 1 * 9 + 3 * 10, 2 * 9 + 4 * 10,
                                            1 * 11 + 3 * 12 + 5, 2 * 11 + 4 * 12 + 6}));
}

}  // namespace
}  // namespace kerfwright
