#pragma once
// Points and the affine transforms that place every object of a scene.

#include <string>
#include <string_view>
#include <variant>

namespace kerfwright {

struct Point2D {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point2D&, const Point2D&) = default;
};

struct Transform2D {
    // Maps (x, y) to (a*x + c*y + tx, b*x + d*y + ty), the order of an SVG
    // matrix(a b c d e f).
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;

    static constexpr Transform2D identity() { return {}; }

    Point2D apply(double x, double y) const;
    Point2D apply(Point2D p) const { return apply(p.x, p.y); }

    // The composition in which `other` acts first and this transform second.
    Transform2D multiplied(const Transform2D& other) const;

    // Field by field; a transform holding a NaN equals nothing, not even itself.
    friend bool operator==(const Transform2D&, const Transform2D&) = default;

    struct ParseError {
        std::string text;  // the whole transform text that failed, unchanged
        std::string description() const;
    };

    // Reads a component's transform text: six numbers separated by blanks or
    // tabs; tokens that are not numbers are skipped.
    static std::variant<Transform2D, ParseError> parse(std::string_view text);
};

}  // namespace kerfwright
