#include "app_test_support.h"

#include <QTest>

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kerfwright::app::testing {
namespace {

// Loads read small files; a minute means something hangs.
constexpr int kWaitLimitMilliseconds = 60000;

}  // namespace

std::optional<std::filesystem::path> AnsweringDialogs::chooseProjectFile() {
    ++projectFileQuestions;
    return projectFile;
}

std::optional<std::filesystem::path> AnsweringDialogs::chooseSvgLocation(const std::filesystem::path& proposedPath) {
    proposedSvgPaths.push_back(proposedPath);
    return svgLocation;
}

std::optional<std::filesystem::path> AnsweringDialogs::chooseFolder(const std::string& message,
                                                                    const std::string& confirmText) {
    folderQuestions.emplace_back(message, confirmText);
    return folder;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kerfwright-app-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path examplePath(const std::string& name) {
    return std::filesystem::path(KERFWRIGHT_SOURCE_DIR) / "examples" / (name + ".lac");
}

std::filesystem::path expectedOutputFolder(const std::string& name) {
    return std::filesystem::path(KERFWRIGHT_SOURCE_DIR) / "examples" / "expected" / name;
}

std::string fileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

CanvasConversion conversion(std::int64_t canvasIndex, std::string name, std::int64_t plate, std::int64_t totalPlates) {
    CanvasConversion c;
    c.canvasIndex = canvasIndex;
    c.canvasName = std::move(name);
    c.plateIndex = plate;
    c.totalPlatesInCanvas = totalPlates;
    c.svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10mm\" height=\"10mm\" viewBox=\"0 0 10 10\"/>";
    c.bounds = BoundingBox{0, 0, 10, 10};
    return c;
}

std::shared_ptr<const LoadedDocument> document(std::vector<CanvasConversion> conversions,
                                               std::filesystem::path sourcePath) {
    return std::make_shared<const LoadedDocument>(
        LoadedDocument{std::move(sourcePath), LACDocument{}, std::move(conversions)});
}

bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitLimitMilliseconds); }

}  // namespace kerfwright::app::testing
