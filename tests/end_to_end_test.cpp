// The command-line tool run as a user runs it, on the shipped examples and on
// archives built here: the files it writes, what it prints and how it exits.

#include <gtest/gtest.h>
#include <simdjson.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "project.h"
#include "support/run_command.h"
#include "session/save_outputs.h"
#include "writers/sidecar_writer.h"

namespace fs = std::filesystem;
using kerfwright::testing::CommandResult;
using kerfwright::testing::makeTemporaryFolder;
using kerfwright::testing::readFile;
using kerfwright::testing::runCommand;

namespace {

const std::string kSourceDir = KERFWRIGHT_SOURCE_DIR;
const std::string kCli = KERFWRIGHT_CLI_PATH;
const std::vector<std::string> kExamples = {"box", "coaster", "sheet"};

std::string examplePath(const std::string& name) { return kSourceDir + "/examples/" + name + ".lac"; }

std::vector<std::string> sortedFileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CommandResult convert(const std::vector<std::string>& inputs, const std::string& outputFolder) {
    std::vector<std::string> arguments = {kCli, "convert", "-o", outputFolder};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return runCommand(arguments);
}

// Two canvases named alike, neither divided into plates.
std::string writeArchiveWithTwinCanvases(const std::string& folder) {
    lacgen::ProjectSpec project;
    for (std::int64_t index : {0, 1}) {
        lacgen::CanvasSpec canvas;
        canvas.index = index;
        canvas.name = "Part";
        canvas.objects = {lacgen::pathObject(1, "Line", "M 0 0 L 10 10", false)};
        canvas.components = {lacgen::component(1, "1 0 0 1 0 0")};
        canvas.processTypes = {{1, "LaserLineCut"}};
        project.canvases.push_back(canvas);
    }
    project.extraEntries = {{"Metadata2D/Bench.config", "{}"}};
    const std::string path = folder + "/twins.lac";
    project.archive().writeTo(path);
    return path;
}

}  // namespace

TEST(Examples, GeneratorReproducesTheShippedArchives) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_EQ(runCommand({KERFWRIGHT_GENERATOR_PATH, folder}).exitStatus, 0);
    for (const std::string& name : kExamples) {
        EXPECT_EQ(readFile(folder + "/" + name + ".lac"), readFile(examplePath(name))) << name;
    }
    fs::remove_all(folder);
}

// The expected files are regenerated only on purpose, by running the tests
// with KERFWRIGHT_UPDATE_EXPECTED=1 and reviewing the difference.
TEST(Examples, ConvertToTheExpectedFiles) {
    const bool update = std::getenv("KERFWRIGHT_UPDATE_EXPECTED") != nullptr;
    for (const std::string& name : kExamples) {
        const std::string folder = makeTemporaryFolder();
        const CommandResult result = convert({examplePath(name)}, folder);
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;

        const std::string expectedFolder = kSourceDir + "/examples/expected/" + name;
        if (update) {
            fs::remove_all(expectedFolder);
            fs::create_directories(expectedFolder);
            for (const std::string& file : sortedFileNames(folder)) {
                fs::copy_file(folder + "/" + file, expectedFolder + "/" + file);
            }
        }
        ASSERT_EQ(sortedFileNames(folder), sortedFileNames(expectedFolder)) << name;
        for (const std::string& file : sortedFileNames(folder)) {
            EXPECT_EQ(readFile(folder + "/" + file), readFile(expectedFolder + "/" + file)) << file;
        }
        fs::remove_all(folder);
    }
}

TEST(Examples, EverySvgIsWellFormedXml) {
    const std::string folder = makeTemporaryFolder();
    std::vector<std::string> inputs;
    for (const std::string& name : kExamples) inputs.push_back(examplePath(name));
    ASSERT_EQ(convert(inputs, folder).exitStatus, 0);
    int checked = 0;
    for (const std::string& file : sortedFileNames(folder)) {
        if (fs::path(file).extension() != ".svg") continue;
        const CommandResult lint = runCommand({"/usr/bin/xmllint", "--noout", folder + "/" + file});
        EXPECT_EQ(lint.exitStatus, 0) << file << ": " << lint.standardError;
        ++checked;
    }
    EXPECT_EQ(checked, 7);  // one coaster, three box canvases, three sheet plates
    fs::remove_all(folder);
}

TEST(CommandLine, ListsTheWrittenFilesInOrder) {
    const std::string folder = makeTemporaryFolder();
    const CommandResult result = convert({examplePath("box")}, folder);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, folder + "/box.Front.svg\n" + folder + "/box.Front.txt\n" + folder +
                                         "/box.canvas-1.svg\n" + folder + "/box.canvas-1.txt\n" + folder +
                                         "/box.Side.svg\n" + folder + "/box.Side.txt\n");
    fs::remove_all(folder);
}

TEST(CommandLine, WritesBesideTheInputWithoutAnOutputFolder) {
    const std::string folder = makeTemporaryFolder();
    fs::copy_file(examplePath("sheet"), folder + "/My sheet.lac");
    const CommandResult result = runCommand({kCli, "convert", folder + "/My sheet.lac"});
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    // No process configuration in this project, so no sidecars.
    EXPECT_EQ(sortedFileNames(folder), (std::vector<std::string>{"My sheet.lac", "My sheet.plate-1.svg",
                                                                  "My sheet.plate-2.svg", "My sheet.plate-3.svg"}));
    fs::remove_all(folder);
}

TEST(CommandLine, PrefixesWarningsWithTheOutputName) {
    const std::string folder = makeTemporaryFolder();
    const CommandResult result = convert({examplePath("sheet")}, folder);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError,
              "sheet.plate-1.svg: Unexpected token number(3.5) in obj_id=24\n"
              "sheet.plate-2.svg: Unknown object type 'TextObject' at obj_id=23 \u2014 skipped\n");
    fs::remove_all(folder);
}

TEST(CommandLine, AnUnreadableInputFailsWhileTheOthersConvert) {
    const std::string folder = makeTemporaryFolder();
    const std::string missing = folder + "/missing.lac";
    const CommandResult result = convert({missing, examplePath("coaster")}, folder);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError,
              "Failed to read missing.lac: Could not open .lac archive at " + missing + ": No such file\n");
    EXPECT_TRUE(fs::exists(folder + "/coaster.svg"));
    EXPECT_TRUE(fs::exists(folder + "/coaster.txt"));
    fs::remove_all(folder);
}

TEST(CommandLine, AFailedWriteStopsThatInputOnly) {
    const std::string folder = makeTemporaryFolder();
    const std::string blocker = folder + "/not-a-folder";
    std::ofstream(blocker) << "x";
    const CommandResult result = convert({examplePath("coaster")}, blocker + "/out");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError.rfind("Failed to save: ", 0), 0u) << result.standardError;
    EXPECT_NE(result.standardError.find(blocker + "/out/coaster.svg"), std::string::npos) << result.standardError;
    fs::remove_all(folder);
}

TEST(CommandLine, ASidecarThatCannotBeWrittenFailsTheInput) {
    const std::string folder = makeTemporaryFolder();
    fs::create_directory(folder + "/coaster.txt");  // the sidecar's name, taken by a folder
    const CommandResult result = convert({examplePath("coaster")}, folder);
    EXPECT_EQ(result.exitStatus, 1);
    // The SVG was written and stays; the sidecar's failure is said like any other.
    EXPECT_EQ(result.standardOutput, folder + "/coaster.svg\n");
    EXPECT_EQ(result.standardError, "Failed to save: Could not write \"" + folder + "/coaster.txt\": Is a directory\n");
    EXPECT_EQ(readFile(folder + "/coaster.svg"), readFile(kSourceDir + "/examples/expected/coaster/coaster.svg"));
    fs::remove_all(folder);
}

TEST(CommandLine, WrittenFilesGetTheUsersFileModeMask) {
    const std::string folder = makeTemporaryFolder();
    const CommandResult result = runCommand(
        {"/bin/sh", "-c", "umask 027 && exec \"$0\" convert -o \"$1\" \"$2\"", KERFWRIGHT_CLI_PATH, folder,
         examplePath("coaster")});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    for (const char* name : {"/coaster.svg", "/coaster.txt"}) {
        EXPECT_EQ(fs::status(folder + name).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
            << name;
    }
    fs::remove_all(folder);
}

TEST(CommandLine, NumbersCanvasesThatWouldShareAFileName) {
    const std::string folder = makeTemporaryFolder();
    const std::string input = writeArchiveWithTwinCanvases(folder);
    const CommandResult result = convert({input}, folder);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, folder + "/twins.Part.svg\n" + folder + "/twins.Part.txt\n" + folder +
                                         "/twins.Part-2.svg\n" + folder + "/twins.Part-2.txt\n");
    EXPECT_NE(readFile(folder + "/twins.Part.svg"), readFile(folder + "/twins.Part-2.svg"));
    fs::remove_all(folder);
}

TEST(CommandLine, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> misuses = {
        {kCli},
        {kCli, "convert"},
        {kCli, "convert", "--frobnicate", "x.lac"},
        {kCli, "info"},
        {kCli, "explode", "x.lac"},
    };
    for (const auto& arguments : misuses) {
        const CommandResult result = runCommand(arguments);
        EXPECT_EQ(result.exitStatus, 2) << arguments.size() << " arguments: " << result.standardError;
        EXPECT_FALSE(result.standardError.empty());
    }
}

TEST(CommandLine, HelpAndVersionSucceed) {
    for (const std::string command : {"", "convert", "info"}) {
        std::vector<std::string> help = {kCli};
        if (!command.empty()) help.push_back(command);
        std::vector<std::string> version = help;
        help.push_back("--help");
        version.push_back("--version");

        const CommandResult helpResult = runCommand(help);
        EXPECT_EQ(helpResult.exitStatus, 0) << command;
        EXPECT_NE(helpResult.standardOutput.find("Usage"), std::string::npos) << command;
        const CommandResult versionResult = runCommand(version);
        EXPECT_EQ(versionResult.exitStatus, 0) << command;
        EXPECT_EQ(versionResult.standardOutput, "kerfwright-cli 0.1.0\n") << command;
    }
}

TEST(InfoCommand, JsonDescribesEveryConversion) {
    const CommandResult result = runCommand({kCli, "info", "--json", examplePath("sheet")});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;

    simdjson::dom::parser parser;
    simdjson::dom::element root = parser.parse(result.standardOutput);
    EXPECT_EQ(std::string_view(root["file"]), "sheet.lac");
    EXPECT_EQ(std::string_view(root["fileVersion"]), "1.0");
    simdjson::dom::array conversions = root["conversions"];
    ASSERT_EQ(conversions.size(), 3u);
    std::int64_t plate = 1;
    for (simdjson::dom::element conversion : conversions) {
        EXPECT_EQ(std::int64_t(conversion["canvasIndex"]), 0);
        EXPECT_EQ(std::string_view(conversion["canvasName"]), "Sheet");
        EXPECT_EQ(std::int64_t(conversion["plateIndex"]), plate);
        EXPECT_EQ(std::int64_t(conversion["totalPlatesInCanvas"]), 3);
        EXPECT_EQ(std::string_view(conversion["outputName"]), "sheet.plate-" + std::to_string(plate) + ".svg");
        ++plate;
    }
    simdjson::dom::element second = conversions.at(1);
    EXPECT_EQ(std::int64_t(second["layerCounts"]["Score"]), 3);
    EXPECT_EQ(simdjson::dom::object(second["layerCounts"]).size(), 1u);  // layers without placements are left out
    EXPECT_EQ(double(second["bounds"]["minX"]), 2.0);                    // the disc at x 5 + 20 - 18, less 5 margin
    EXPECT_EQ(double(second["bounds"]["maxX"]), 148.0);
    simdjson::dom::array warnings = second["warnings"];
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(std::string_view(warnings.at(0)), "Unknown object type 'TextObject' at obj_id=23 \u2014 skipped");
}

TEST(InfoCommand, ReadableSummaryNamesLayersAndSize) {
    const CommandResult result = runCommand({kCli, "info", examplePath("coaster")});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_NE(result.standardOutput.find("Coaster  ->  coaster.svg"), std::string::npos) << result.standardOutput;
    EXPECT_NE(result.standardOutput.find("Engrave-Fill    4\n"), std::string::npos) << result.standardOutput;
}

TEST(InfoCommand, AReadFailureExitsWithOne) {
    const std::string folder = makeTemporaryFolder();
    std::ofstream(folder + "/notes.lac") << "not an archive";
    const CommandResult result = runCommand({kCli, "info", "--json", folder + "/notes.lac"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError.rfind("Failed to read notes.lac: Could not open .lac archive at " + folder +
                                             "/notes.lac: ",
                                         0),
              0u)
        << result.standardError;
    fs::remove_all(folder);
}

// A desktop application sets the process locale from the user's settings;
// with a comma as decimal separator, C's number formatting would change.
TEST(Locale, OutputIsTheSameUnderACommaDecimalLocale) {
    const std::string localeFolder = std::string(KERFWRIGHT_BINARY_DIR) + "/locales";
    if (!fs::exists(localeFolder + "/de_DE.UTF-8")) {
        fs::create_directories(localeFolder);
        runCommand({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", localeFolder + "/de_DE.UTF-8"});
    }
    const auto convertAll = [] {
        std::vector<std::string> texts;
        for (const std::string& name : kExamples) {
            const kerfwright::LoadedDocument loaded = kerfwright::loadDocument(examplePath(name));
            for (const auto& conversion : loaded.conversions) {
                texts.push_back(conversion.svg);
                texts.push_back(kerfwright::SidecarWriter::text(conversion, loaded.document, name + ".lac")
                                    .value_or(""));
            }
        }
        return texts;
    };
    const std::vector<std::string> inCLocale = convertAll();

    setenv("LOCPATH", localeFolder.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the comma-decimal locale could not be made";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 3.5);
    EXPECT_STREQ(probe, "3,5");  // the locale really is in force
    const std::vector<std::string> inCommaLocale = convertAll();
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");

    EXPECT_EQ(inCommaLocale, inCLocale);
}
