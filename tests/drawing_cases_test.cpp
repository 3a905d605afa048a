// Whole conversions as golden pairs: each file under cases/drawings/ holds a
// project (its scene, its settings, its images and other files) and, after
// "== expected", every drawing converted from it: which canvas and plate, the
// layer counts, the warnings, the SVG document and the settings sidecar. With KERFWRIGHT_UPDATE_CASES=1 the
// expected part is written from what the converter gives, to be reviewed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "reading/lac_reader.h"
#include "support/archive_recipe.h"
#include "support/run_command.h"
#include "writers/sidecar_writer.h"
#include "writers/svg_writer.h"

namespace kerfwright {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(KERFWRIGHT_SOURCE_DIR) / "tests/cases/drawings";
constexpr std::string_view kExpectedMark = "== expected\n";

// The project part of a case file: "== scene", "== settings", "== image NAME"
// and "== file PATH" sections, each running to the next "== " line and
// written as in an archive recipe (support/archive_recipe.h).
std::string archiveOf(const std::string& project) {
    std::map<std::string, std::string> sections;
    std::string current;
    std::istringstream lines(project);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("== ")) {
            current = line.substr(3);
            sections[current];
        } else if (!current.empty()) {
            sections[current] += line + "\n";
        }
    }
    // The line end before the next section is not part of the content.
    for (auto& [name, content] : sections) {
        if (!content.empty()) content.pop_back();
    }
    std::vector<std::string> parts = {"scene=" + sections["scene"],
                                      sections.contains("settings") ? "settings=" + sections["settings"] : "settings"};
    for (const auto& [name, content] : sections) {
        if (name.starts_with("image ")) parts.push_back("2D/Objects/" + name.substr(6) + "=" + content);
        if (name.starts_with("file ")) parts.push_back(name.substr(5) + "=" + content);
    }
    return testing::archiveOf(parts);
}

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

TEST(DrawingCases, ConvertAsExpected) {
    std::size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(kCases)) {
        const std::string text = testing::readFile(entry.path().string());
        const std::size_t mark = text.find(kExpectedMark);
        const std::string project = text.substr(0, mark);
        const LACDocument document = LACReader::readFromMemory(archiveOf(project), entry.path());
        const std::string actual = conversionsText(document, entry.path().stem().string() + ".lac");
        if (std::getenv("KERFWRIGHT_UPDATE_CASES") != nullptr) {
            std::ofstream(entry.path(), std::ios::binary) << project << kExpectedMark << actual;
        }
        EXPECT_NE(mark, std::string::npos) << entry.path();
        EXPECT_EQ(actual, mark == std::string::npos ? "" : text.substr(mark + kExpectedMark.size())) << entry.path();
        ++checked;
    }
    EXPECT_GT(checked, 0u);
}

}  // namespace
}  // namespace kerfwright
