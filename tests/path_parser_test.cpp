#include "geometry/path_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kerfwright {
namespace {

using namespace std::string_view_literals;

PathCommand moveTo(double x, double y) { return {PathCommand::MoveTo{{x, y}}}; }
PathCommand lineTo(double x, double y) { return {PathCommand::LineTo{{x, y}}}; }
PathCommand closePath() { return {PathCommand::ClosePath{}}; }
PathParseWarning unknown(std::string letters) { return {PathParseWarning::UnknownCommand{std::move(letters)}}; }
PathParseWarning truncated(std::string command, int expected, int got) {
    return {PathParseWarning::Truncated{std::move(command), expected, got}};
}
PathParseWarning unexpected(std::string description) {
    return {PathParseWarning::UnexpectedToken{std::move(description)}};
}

struct ParseCase {
    std::string_view data;
    std::vector<PathCommand> commands;
    std::vector<PathParseWarning> warnings;
};

void expectParse(const ParseCase& c) {
    const PathParseResult result = PathParser::parse(c.data);
    EXPECT_EQ(result.commands, c.commands) << testing::PrintToString(c.data);
    EXPECT_EQ(result.warnings, c.warnings) << testing::PrintToString(c.data);
}

TEST(PathParserParse, CommandsAndWarnings) {
    const ParseCase cases[] = {
        {""sv, {}, {}},
        {"  , ,\t"sv, {}, {}},
        {"M 0 0 L 10 0 L 10 10 Z"sv, {moveTo(0, 0), lineTo(10, 0), lineTo(10, 10), closePath()}, {}},
        {"C 30 40 10 0 20 0"sv, {{PathCommand::CubicBezier{{10, 0}, {20, 0}, {30, 40}}}}, {}},
        {"AC 10 0 5 0"sv, {{PathCommand::ArcAC{{10, 0}, {5, 0}}}}, {}},
        {"AA 10 0 5 0"sv, {{PathCommand::ArcAA{{10, 0}, {5, 0}}}}, {}},
        {"M 0 0 L 5"sv, {moveTo(0, 0)}, {truncated("L", 2, 1)}},
        {"M 0 L 1 2"sv, {}, {truncated("M", 2, 1)}},
        {"X 1 2 L 3 4"sv, {lineTo(3, 4)}, {unknown("X")}},
        {"m 1 2"sv, {}, {unknown("m")}},
        {"5 M 1 2"sv, {moveTo(1, 2)}, {unexpected("number(5.0)")}},
        {"L 1 2 3 4"sv, {lineTo(1, 2)}, {unexpected("number(3.0)"), unexpected("number(4.0)")}},
        {"Z1 2"sv, {closePath()}, {unexpected("number(1.0)"), unexpected("number(2.0)")}},
        {"ZM 1 2"sv, {}, {unknown("ZM")}},
        {"M 1,2 L3,4z"sv, {moveTo(1, 2), lineTo(3, 4), closePath()}, {}},
        {"M 1 # 2"sv, {moveTo(1, 2)}, {}},
        // Further cases around the rules above.
        {"C 1 2 3 4 5"sv, {}, {truncated("C", 6, 5)}},
        {"AC 1 2 L 3 4"sv, {}, {truncated("AC", 4, 2)}},
        {"L"sv, {}, {truncated("L", 2, 0)}},
        {"Z Z z"sv, {closePath(), closePath(), closePath()}, {}},
        {"l 1 2 c 1 2 3 4 5 6 ac 1 2 3 4 M 0 0"sv, {moveTo(0, 0)}, {unknown("l"), unknown("c"), unknown("ac")}},
        {"X Y M 1 2"sv, {moveTo(1, 2)}, {unknown("X"), unknown("Y"), }},
        {"M 1 2 - . 1e L 3 4"sv, {moveTo(1, 2), lineTo(3, 4)}, {}},
        {"-0.5 1e20 1e-7 12.5"sv, {}, {unexpected("number(-0.5)"), unexpected("number(1e+20)"),
                                       unexpected("number(1e-07)"), unexpected("number(12.5)")}},
        {"M\r\n1\r\n2"sv, {moveTo(1, 2)}, {}},
        {"M\xC2\xA0" "1\xE3\x80\x80" "2"sv, {moveTo(1, 2)}, {}},
        // Non-ASCII letters form runs of their own.
        {"\xC3\x89 1 2 M 3 4"sv, {moveTo(3, 4)}, {unknown("\xC3\x89")}},
        {"M\xC3\xA9 1 2"sv, {}, {unknown("M\xC3\xA9")}},
    };
    for (const ParseCase& c : cases) expectParse(c);
}

struct TokenCase {
    std::string_view data;
    std::vector<std::string> numbers;  // as described in warnings
};

// Numbers alone only ever come back as warnings, which shows the tokens.
TEST(PathParserTokenize, NumericScan) {
    const TokenCase cases[] = {
        {"1.5.5"sv, {"number(1.5)", "number(0.5)"}},
        {"-.5e+2"sv, {"number(-50.0)"}},
        {"1e5"sv, {"number(100000.0)"}},
        {"3,4"sv, {"number(3.0)", "number(4.0)"}},
        {"10-20"sv, {"number(10.0)", "number(-20.0)"}},
        {"+7"sv, {"number(7.0)"}},
        {"-0"sv, {"number(-0.0)"}},
        {"5."sv, {"number(5.0)"}},
        {"1E-2"sv, {"number(0.01)"}},
        // A lone sign is dropped and the scan starts again after it.
        {"--5"sv, {"number(-5.0)"}},
        {"1.."sv, {"number(1.0)"}},
        {"(2)"sv, {"number(2.0)"}},
        // An exponent without digits spoils the whole number.
        {"1e 2"sv, {"number(2.0)"}},
        {"1e+ 2"sv, {"number(2.0)"}},
        // Digits of other scripts are taken by the scan but do not convert.
        {"\xD9\xA3 4"sv, {"number(4.0)"}},
        {"1\xD9\xA3 4"sv, {"number(4.0)"}},
        {"\xC2\xBD 4"sv, {"number(4.0)"}},
        // A digit, point or sign that carries a combining mark is no longer one.
        {"1\xCC\x81 4"sv, {"number(4.0)"}},
        {"1.\xCC\x81" "5"sv, {"number(1.0)", "number(5.0)"}},
        {"-\xCC\x81" "5"sv, {"number(5.0)"}},
        {"1,\xCC\x81 2"sv, {"number(1.0)", "number(2.0)"}},
        {"1 \xCC\x81 2"sv, {"number(1.0)", "number(2.0)"}},
    };
    for (const TokenCase& c : cases) {
        std::vector<PathParseWarning> expected;
        for (const std::string& number : c.numbers) expected.push_back(unexpected(number));
        expectParse({c.data, {}, expected});
    }
}

TEST(PathParserTokenize, LetterRunsStopAtAnyOtherCharacter) {
    // The scan never takes hexadecimal: "0x10" is 0, the run x and 10.
    expectParse({"0x10 L 1 2"sv, {lineTo(1, 2)}, {unexpected("number(0.0)"), unknown("x")}});
    expectParse({"M 0x10 L 1 2"sv, {}, {truncated("M", 2, 1)}});
    expectParse({"L 1 2 e5"sv, {lineTo(1, 2)}, {unknown("e"), }});
    expectParse({"L1 2M3 4"sv, {lineTo(1, 2), moveTo(3, 4)}, {}});
}

}  // namespace
}  // namespace kerfwright
