// Whole conversions as golden pairs, one scripted case per file under
// cases/drawings/ (support/scripted_cases.h): a project in "== scene",
// "== settings", "== image NAME" and "== file PATH" sections, each written
// as in an archive recipe (support/archive_recipe.h), then "== convert" and,
// in "== expected", every drawing converted from it: which canvas and plate,
// the layer counts, the warnings, the SVG document and the settings sidecar.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reading/lac_reader.h"
#include "support/archive_recipe.h"
#include "support/scripted_cases.h"
#include "writers/sidecar_writer.h"
#include "writers/svg_writer.h"

namespace kerfwright {
namespace {

using testing::Section;

std::string conversionsText(const LACDocument& document, const std::string& sourceName) {
    std::string out;
    for (const CanvasConversion& c : SVGWriter::convert(document, 5.0)) {
        out += "drawing of canvas " + std::to_string(c.canvasIndex) + " '" + c.canvasName + "', plate " +
               std::to_string(c.plateIndex) + " of " + std::to_string(c.totalPlatesInCanvas) + "\ncounts:";
        for (const auto& [layer, count] : c.layerCounts) {
            out += ' ';
            out += rawValue(layer);
            out += ' ' + std::to_string(count);
        }
        out += "\n";
        for (const std::string& warning : c.warnings) out += "warning: " + warning + "\n";
        out += c.svg;
        if (const auto sidecar = SidecarWriter::text(c, document, sourceName)) out += "sidecar:\n" + *sidecar;
    }
    return out;
}

class DrawingCase : public testing::ScriptedCase {
public:
    using ScriptedCase::ScriptedCase;

    bool isOutcome(const std::string& heading) const override { return heading == "expected"; }

protected:
    std::string step(const Section& section) override {
        if (section.heading != "convert") {
            // The line end before the next section is not part of the content.
            sections_[section.heading] = section.body.substr(0, section.body.empty() ? 0 : section.body.size() - 1);
            return "";
        }
        const std::vector<std::string> parts = testing::projectRecipeParts(sections_, where_);
        const std::string sourceName = where_.substr(0, where_.rfind('.')) + ".lac";
        const LACDocument document = LACReader::readFromMemory(testing::archiveOf(parts), sourceName);
        return testing::sectionText("expected", conversionsText(document, sourceName));
    }

private:
    std::map<std::string, std::string> sections_;
};

class DrawingCases : public ::testing::TestWithParam<std::string> {};

TEST_P(DrawingCases, ConvertAsExpected) {
    testing::runScriptedCase("drawings", GetParam(),
                             [](const std::string& where) { return std::make_unique<DrawingCase>(where); });
}

INSTANTIATE_TEST_SUITE_P(File, DrawingCases, ::testing::ValuesIn(testing::caseFileNames("drawings")),
                         [](const auto& file) { return testing::caseTestName(file.param); });

}  // namespace
}  // namespace kerfwright
