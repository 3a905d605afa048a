#include "geometry/path_emitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"
#include "text/number_text.h"

namespace kerfwright {
namespace {

Transform2D placementOf(const std::string& text) {
    std::istringstream numbers(text);
    Transform2D t;
    numbers >> t.a >> t.b >> t.c >> t.d >> t.tx >> t.ty;
    return t;
}

std::vector<double> numbersOf(const std::string& text) {
    std::vector<double> numbers;
    std::istringstream words(text);
    for (std::string word; words >> word;) numbers.push_back(std::strtod(word.c_str(), nullptr));
    return numbers;
}

PathEmitter::EmittedPath emitted(const std::string& kind, const std::string& geometry, const Transform2D& placement) {
    if (kind == "ellipse") {
        const std::vector<double> n = numbersOf(geometry);
        return PathEmitter::emitEllipse(n.at(0), n.at(1), n.at(2), n.at(3), placement);
    }
    if (kind == "arc") {
        const std::vector<double> n = numbersOf(geometry);
        return PathEmitter::emitCenterPointArc({n.at(0), n.at(1)}, {n.at(2), n.at(3)}, {n.at(4), n.at(5)}, placement);
    }
    // Path data is outlined in one pass; it must come out as the outline of
    // what it parses to.
    const bool isClosed = kind == "closed path";
    std::vector<PathParseWarning> warnings;
    PathEmitter::EmittedPath onePass = PathEmitter::emitData(geometry, placement, isClosed, warnings);
    const PathParseResult parsed = PathParser::parse(geometry);
    const PathEmitter::EmittedPath fromCommands = PathEmitter::emit(parsed.commands, placement, isClosed);
    EXPECT_EQ(onePass.d, fromCommands.d) << geometry;
    EXPECT_EQ(std::memcmp(&onePass.bounds, &fromCommands.bounds, sizeof(BoundingBox)), 0) << geometry;
    EXPECT_EQ(onePass.allFinite, fromCommands.allFinite) << geometry;
    EXPECT_EQ(warnings, parsed.warnings) << geometry;
    return onePass;
}

std::string boundsText(const BoundingBox& box) {
    if (box.isEmpty()) return "nothing";
    std::string out;
    for (const double v : {box.minX, box.minY, box.maxX, box.maxY}) out += (out.empty() ? "" : " ") + text::shortestRoundTrip(v);
    return out;
}

TEST(PathEmitter, Cases) {
    for (const testing::Case& c : testing::readCases("outlines.tsv", 6)) {
        const PathEmitter::EmittedPath path = emitted(c.fields[0], c.fields[1], placementOf(c.fields[2]));
        EXPECT_EQ(path.d, c.fields[3]) << c.where;
        EXPECT_EQ(boundsText(path.bounds), c.fields[4]) << c.where;
        EXPECT_EQ(path.allFinite ? "yes" : "no", c.fields[5]) << c.where;
    }
}

}  // namespace
}  // namespace kerfwright
