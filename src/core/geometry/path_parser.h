#pragma once
// Parses the scene's path-data strings: absolute M, L, C (end point first),
// AC and AA arcs given by end point and centre, and Z.

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "values/transform.h"

namespace kerfwright {

struct PathCommand {
    struct MoveTo {
        Point2D point;
        friend bool operator==(const MoveTo&, const MoveTo&) = default;
    };
    struct LineTo {
        Point2D point;
        friend bool operator==(const LineTo&, const LineTo&) = default;
    };
    struct CubicBezier {
        Point2D c1;
        Point2D c2;
        Point2D end;
        friend bool operator==(const CubicBezier&, const CubicBezier&) = default;
    };
    struct ArcAC {
        Point2D end;
        Point2D center;
        friend bool operator==(const ArcAC&, const ArcAC&) = default;
    };
    struct ArcAA {
        Point2D end;
        Point2D center;
        friend bool operator==(const ArcAA&, const ArcAA&) = default;
    };
    struct ClosePath {
        friend bool operator==(const ClosePath&, const ClosePath&) = default;
    };
    using Variant = std::variant<MoveTo, LineTo, CubicBezier, ArcAC, ArcAA, ClosePath>;

    Variant value;
    friend bool operator==(const PathCommand&, const PathCommand&) = default;
};

struct PathParseWarning {
    struct UnknownCommand {
        std::string letters;
        friend bool operator==(const UnknownCommand&, const UnknownCommand&) = default;
    };
    struct Truncated {
        std::string command;
        int expected = 0;
        int got = 0;
        friend bool operator==(const Truncated&, const Truncated&) = default;
    };
    struct UnexpectedToken {
        std::string description;  // such as "number(12.5)"
        friend bool operator==(const UnexpectedToken&, const UnexpectedToken&) = default;
    };
    using Kind = std::variant<UnknownCommand, Truncated, UnexpectedToken>;

    Kind kind;
    friend bool operator==(const PathParseWarning&, const PathParseWarning&) = default;
};

struct PathParseResult {
    std::vector<PathCommand> commands;
    std::vector<PathParseWarning> warnings;
};

namespace PathParser {
// Never fails: what cannot be understood becomes a warning and is skipped, and
// a command short of numbers ends the parse.
PathParseResult parse(std::string_view data);
// The same parse without a list of commands: each is handed to `take` as it
// is read, and the warnings are given at the end.
std::vector<PathParseWarning> parseEach(std::string_view data, const std::function<void(const PathCommand&)>& take);
}  // namespace PathParser

}  // namespace kerfwright
