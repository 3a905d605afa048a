#include "values/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <variant>

namespace kerfwright {
namespace {

Transform2D parsed(std::string_view text) {
    auto result = Transform2D::parse(text);
    EXPECT_TRUE(std::holds_alternative<Transform2D>(result)) << text;
    if (auto* transform = std::get_if<Transform2D>(&result)) return *transform;
    return {};
}

TEST(Transform2DParse, SixNumbersInOrder) {
    const Transform2D expected{1, 0, 0, 1, 10, 20};
    for (std::string_view text : {"1 0 0 1 10 20", "1\t0 0 1 10 20", "1  0 0 1 10 20", "1 0 0 1 10 20 ",
                                  " \t1 0 0 1 10 20\t\t", "1 0 0 1 10 20 x", "x 1 y 0 0 1 z 10 20 ,"}) {
        EXPECT_EQ(parsed(text), expected) << text;
    }
}

TEST(Transform2DParse, AcceptsEveryNumberFormOfTheCLibrary) {
    const Transform2D t = parsed("1e0 -0.0 .5 5. +2 0x10");
    EXPECT_EQ(t.a, 1.0);
    EXPECT_EQ(t.b, 0.0);
    EXPECT_TRUE(std::signbit(t.b));
    EXPECT_EQ(t.c, 0.5);
    EXPECT_EQ(t.d, 5.0);
    EXPECT_EQ(t.tx, 2.0);
    EXPECT_EQ(t.ty, 16.0);
}

TEST(Transform2DParse, WrongCountsFailWithTheWholeText) {
    using namespace std::string_view_literals;
    for (std::string_view text : {""sv, "   "sv, " \t \t"sv, "1 0 0 1 10"sv, "1 0 0 1 10 20 30"sv, "1,0,0,1,10,20"sv,
                                  "1 0 0 1 10\n20"sv, "1 0 0 1 10,20"sv, "1 0 0 1 10 \xCC\x81" "20"sv,
                                  "1 0 0 1 10 20\xCC\x81"sv}) {
        const auto result = Transform2D::parse(text);
        const auto* error = std::get_if<Transform2D::ParseError>(&result);
        ASSERT_NE(error, nullptr) << text;
        EXPECT_EQ(error->text, text);
    }
}

TEST(Transform2DParse, OnlyBlankAndTabSeparate) {
    // Other white space stays inside a token, which then does not convert.
    for (std::string_view text : {"1 0 0 1 10\r20 5", "1 0 0 1 10\xC2\xA0" "20 5"}) {
        EXPECT_TRUE(std::holds_alternative<Transform2D::ParseError>(Transform2D::parse(text))) << text;
    }
    // A tab followed by a combining mark still separates: the mark goes to the
    // next token, which then does not convert.
    EXPECT_EQ(parsed("1 0 0 1 10 20\t\xCC\x81" "5"), (Transform2D{1, 0, 0, 1, 10, 20}));
}

TEST(Transform2DParse, NanAndInfinityAreNumbers) {
    const auto result = Transform2D::parse("nan 0 0 1 inf -INF");
    const auto* t = std::get_if<Transform2D>(&result);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(std::isnan(t->a));
    EXPECT_EQ(t->tx, std::numeric_limits<double>::infinity());
    EXPECT_EQ(t->ty, -std::numeric_limits<double>::infinity());
    EXPECT_FALSE(*t == *t);
}

TEST(Transform2DParse, Description) {
    using namespace std::string_view_literals;
    struct Case {
        std::string_view text;
        std::string_view description;
    };
    const Case cases[] = {
        {"1 0 0 1 10"sv, "Could not parse transform string \"1 0 0 1 10\" (expected 6 numbers)"sv},
        {""sv, "Could not parse transform string \"\" (expected 6 numbers)"sv},
        {"a\"b\\c"sv, "Could not parse transform string \"a\\\"b\\\\c\" (expected 6 numbers)"sv},
        {"\t\n\r\0'"sv, "Could not parse transform string \"\\t\\n\\r\\0'\" (expected 6 numbers)"sv},
        {"\x01\x1B\x7F"sv, "Could not parse transform string \"\\u{1}\\u{1b}\\u{7f}\" (expected 6 numbers)"sv},
        {"\xC3\xA9 \xE2\x82\xAC"sv, "Could not parse transform string \"\xC3\xA9 \xE2\x82\xAC\" (expected 6 numbers)"sv},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Transform2D::ParseError{std::string(c.text)}.description(), c.description);
    }
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
