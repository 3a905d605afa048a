// Every SVG the converter writes for the shipped examples, the hostile inputs
// that convert and a project of elements no reader would accept, and every
// expected file the suite compares against, is valid for the programs that
// import it: well-formed by two XML parsers, rendered by librsvg without a
// complaint, every path starting with a move and no number written as nan
// or inf.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string_view>
#include <string>

#include "hostile_archives.h"
#include "png.h"
#include "project.h"
#include "support/run_command.h"
#include "support/well_formed_xml.h"

namespace fs = std::filesystem;

namespace kerfwright::testing {
namespace {

const std::string kSourceDir = KERFWRIGHT_SOURCE_DIR;

// librsvg renders every element; past this size a document would only cost time.
constexpr std::uintmax_t kLargestRendered = 4 << 20;

bool separatesNumbers(char c) { return c == ' ' || c == '"' || c == '(' || c == ')' || c == ','; }

// "nan", "inf" or "-inf" standing as a number of an attribute value (or
// before "mm" in a size).
bool holdsNonFiniteNumber(std::string_view svg) {
    for (const std::string_view word : {"nan", "inf"}) {
        for (std::size_t at = svg.find(word); at != std::string_view::npos; at = svg.find(word, at + 1)) {
            const std::size_t start = at > 0 && svg[at - 1] == '-' ? at - 1 : at;
            const char before = start > 0 ? svg[start - 1] : ' ';
            const char after = at + word.size() < svg.size() ? svg[at + word.size()] : ' ';
            if (separatesNumbers(before) && (separatesNumbers(after) || after == 'm')) return true;
        }
    }
    return false;
}

// What is wrong with the SVG file for an importing program; empty when nothing.
std::string importProblems(const fs::path& file) {
    const std::string svg = readFile(file.string());
    std::string problems = xmlWellFormednessError(svg);
    const CommandResult lint = runCommand({"/usr/bin/xmllint", "--noout", file.string()});
    if (lint.exitStatus != 0) problems += "xmllint: " + lint.standardError;
    if (fs::file_size(file) <= kLargestRendered) {
        const CommandResult render = runCommand({"/usr/bin/rsvg-convert", "-f", "png", file.string()});
        if (render.exitStatus != 0 || !render.standardError.empty()) problems += "rsvg-convert: " + render.standardError;
    }
    constexpr std::string_view pathStart = "<path d=\"";
    for (std::size_t at = svg.find(pathStart); at != std::string::npos; at = svg.find(pathStart, at + 1)) {
        const std::string_view d = std::string_view(svg).substr(at + pathStart.size(), 2);
        if (d != "M ") problems += "path data without a first move at byte " + std::to_string(at) + "\n";
    }
    if (holdsNonFiniteNumber(svg)) problems += "a number written as nan or inf\n";
    return problems;
}

std::size_t checkSvgsUnder(const fs::path& folder) {
    std::size_t checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".svg") continue;
        EXPECT_EQ(importProblems(entry.path()), "") << entry.path();
        ++checked;
    }
    return checked;
}

CommandResult convert(const std::vector<std::string>& inputs, const std::string& folder) {
    std::vector<std::string> arguments = {KERFWRIGHT_CLI_PATH, "convert", "-o", folder};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return runCommand(arguments);
}

std::string write(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(ImportableOutputTest, ExamplesAndTheirExpectedFiles) {
    const std::string output = makeTemporaryFolder();
    std::vector<std::string> inputs;
    for (const char* example : {"box", "coaster", "sheet"}) inputs.push_back(kSourceDir + "/examples/" + example + ".lac");
    ASSERT_EQ(convert(inputs, output).exitStatus, 0);
    EXPECT_EQ(checkSvgsUnder(output), 7u);
    EXPECT_EQ(checkSvgsUnder(kSourceDir + "/examples/expected"), 7u);
    fs::remove_all(output);
}

TEST(ImportableOutputTest, HostileInputsThatConvert) {
    const std::string folder = makeTemporaryFolder();
    std::vector<std::string> inputs;
    for (const auto& archive : hostile::corpus()) {
        // The rest are refused, or cut short after a million elements.
        for (const char* small : {"extreme-numbers", "invalid-utf8", "lone-surrogate", "wrong-sizes", "duplicate-entries",
                                  "overlapping-entries"}) {
            if (archive.fileName == std::string(small) + ".lac") inputs.push_back(write(folder, archive.fileName, archive.bytes()));
        }
    }
    ASSERT_EQ(inputs.size(), 6u);
    const std::string output = folder + "/out";
    convert(inputs, output);
    EXPECT_EQ(checkSvgsUnder(output), 4u);
    fs::remove_all(folder);
}

// A project of what no SVG reader takes as it stands: arcs that bulge past
// their ends, path data without a first move, numbers too large to write,
// an image named in composed letters and stored decomposed, and an image
// that is not there.
std::string awkwardProject() {
    lacgen::CanvasSpec canvas;
    canvas.objects = {
        lacgen::pathObject(1, "Circle", "M 30 0 AC -30 0 0 0 AC 30 0 0 0 Z", true),
        lacgen::pathObject(2, "No move", "L 30 10 L 40 10", false),
        lacgen::pathObject(3, "Only closes", "Z Z", true),
        lacgen::pathObject(4, "Too large", "M 0 0 L 1e305 0", false),
        lacgen::rasterObject(5, "Cafe", "Caf\u00e9.png", 10, 10),
        lacgen::rasterObject(6, "Gone", "missing.png", 10, 10),
    };
    for (std::int64_t id = 1; id <= 6; ++id) canvas.components.push_back(lacgen::component(id, "1 0 0 1 0 0"));
    canvas.processTypes = {{1, "LaserLineCut"}, {2, "LaserLineCut"}, {3, "LaserLineCut"},
                           {4, "LaserLineCut"}, {5, "LaserImageEngrave"}, {6, "LaserImageEngrave"}};
    lacgen::ProjectSpec project;
    project.canvases.push_back(std::move(canvas));
    const std::string png = lacgen::encodePng(1, 1, {lacgen::Rgba{0, 0, 0, 255}});
    project.extraEntries = {{"2D/Objects/Cafe\u0301.png", png}};
    return project.archive().bytes();
}

TEST(ImportableOutputTest, ThePageHoldsWhatIsDrawnAndSaysWhatIsNot) {
    const std::string folder = makeTemporaryFolder();
    const CommandResult result = convert({write(folder, "awkward.lac", awkwardProject())}, folder);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError,
              "awkward.svg: Path data of obj_id=2 does not start with a move \u2014 skipped\n"
              "awkward.svg: Non-finite number in obj_id=4 \u2014 skipped\n"
              "awkward.svg: Missing image 'missing.png' at obj_id=6 \u2014 skipped\n");
    const std::string svg = readFile(folder + "/awkward.svg");
    // Both half arcs bulge up to y = 30; the image covers 0 to 10. With the
    // margin of 5 all round:
    EXPECT_NE(svg.find("width=\"70mm\" height=\"40mm\" viewBox=\"-35 -5 70 40\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("data-obj-id=\"1\""), std::string::npos);
    EXPECT_NE(svg.find("<image x=\"0\" y=\"0\" width=\"10\" height=\"10\""), std::string::npos);
    for (const char* left : {"data-obj-id=\"2\"", "data-obj-id=\"3\"", "data-obj-id=\"4\"", "data-obj-id=\"6\""}) {
        EXPECT_EQ(svg.find(left), std::string::npos) << left;
    }
    EXPECT_EQ(checkSvgsUnder(folder), 1u);
    fs::remove_all(folder);
}

TEST(ImportableOutputTest, CheckerRejectsWhatIsNotWellFormed) {
    EXPECT_EQ(xmlWellFormednessError("<svg><g></svg>").empty(), false);
    EXPECT_EQ(xmlWellFormednessError("<svg a=\"1\" a=\"2\"/>").empty(), false);
    EXPECT_EQ(xmlWellFormednessError("<svg>&bogus;</svg>").empty(), false);
    EXPECT_EQ(xmlWellFormednessError("<svg>\x01</svg>").empty(), false);
    EXPECT_EQ(xmlWellFormednessError("<?xml version=\"1.0\"?>\n<svg d=\"&amp;\"/>\n"), "");
}

TEST(ImportableOutputTest, CheckerRejectsWhatReadersDrop) {
    const std::string folder = makeTemporaryFolder();
    const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10mm\" height=\"10mm\">";
    for (const std::string& element :
         {std::string("<path d=\"L 30 10\"/>"), std::string("<path d=\"M 0 nan\"/>"),
          std::string("<path d=\"M inf 0\"/>")}) {
        const std::string file = write(folder, "bad.svg", head + element + "</svg>\n");
        EXPECT_NE(importProblems(file), "") << element;
    }
    EXPECT_EQ(importProblems(write(folder, "good.svg", head + "<path d=\"M 0 0 L 1 1\"/></svg>\n")), "");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kerfwright::testing
