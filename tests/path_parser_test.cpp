#include "geometry/path_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "support/case_file.h"
#include "text/number_text.h"
#include "values/overloaded.h"

namespace kerfwright {
namespace {

void appendPoints(std::string& out, std::initializer_list<Point2D> points) {
    for (const Point2D& p : points) out += ' ' + text::shortestRoundTrip(p.x) + ' ' + text::shortestRoundTrip(p.y);
}

// "M 0 0; C 10 0 20 0 30 40; Z": each command with its points in the order they are kept.
std::string commandsText(const std::vector<PathCommand>& commands) {
    std::string out;
    for (const PathCommand& command : commands) {
        if (!out.empty()) out += "; ";
        std::visit(Overloaded{
                       [&](const PathCommand::MoveTo& c) { out += 'M', appendPoints(out, {c.point}); },
                       [&](const PathCommand::LineTo& c) { out += 'L', appendPoints(out, {c.point}); },
                       [&](const PathCommand::CubicBezier& c) { out += 'C', appendPoints(out, {c.c1, c.c2, c.end}); },
                       [&](const PathCommand::ArcAC& c) { out += "AC", appendPoints(out, {c.end, c.center}); },
                       [&](const PathCommand::ArcAA& c) { out += "AA", appendPoints(out, {c.end, c.center}); },
                       [&](const PathCommand::ClosePath&) { out += 'Z'; },
                   },
                   command.value);
    }
    return out;
}

// "unknown X; truncated L 2 1; unexpected number(5.0)".
std::string warningsText(const std::vector<PathParseWarning>& warnings) {
    std::string out;
    for (const PathParseWarning& warning : warnings) {
        if (!out.empty()) out += "; ";
        std::visit(Overloaded{
                       [&](const PathParseWarning::UnknownCommand& w) { out += "unknown " + w.letters; },
                       [&](const PathParseWarning::Truncated& w) {
                           out += "truncated " + w.command + ' ' + std::to_string(w.expected) + ' ' +
                                  std::to_string(w.got);
                       },
                       [&](const PathParseWarning::UnexpectedToken& w) { out += "unexpected " + w.description; },
                   },
                   warning.kind);
    }
    return out;
}

TEST(PathParser, Cases) {
    for (const testing::Case& c : testing::readCases("path-data.tsv", 3)) {
        const PathParseResult result = PathParser::parse(c.fields[0]);
        EXPECT_EQ(commandsText(result.commands), c.fields[1]) << c.where;
        EXPECT_EQ(warningsText(result.warnings), c.fields[2]) << c.where;
        // Data that is all ASCII takes a shorter way through the tokenizer; a
        // trailing no-break space sends the same data the general way.
        const PathParseResult general = PathParser::parse(c.fields[0] + "\u00A0");
        EXPECT_EQ(general.commands, result.commands) << c.where;
        EXPECT_EQ(general.warnings, result.warnings) << c.where;
    }
}

}  // namespace
}  // namespace kerfwright
