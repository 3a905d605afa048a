#pragma once
// What the application's tests share: dialogs that answer without a person,
// documents made in memory, and waiting for a state to settle.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_state.h"

namespace kerfwright::app::testing {

// Answers each dialog with a fixed choice (nothing = cancelled) and notes
// what it was asked, one line per dialog.
struct AnsweringDialogs : FileDialogs {
    std::optional<std::filesystem::path> projectFile;
    std::optional<std::filesystem::path> svgLocation;
    std::optional<std::filesystem::path> folder;
    std::string asked;

    std::optional<std::filesystem::path> chooseProjectFile() override;
    std::optional<std::filesystem::path> chooseSvgLocation(const std::filesystem::path& proposedPath) override;
    std::optional<std::filesystem::path> chooseFolder(const std::string& message, const std::string& confirmText,
                                                      const std::filesystem::path& startFolder) override;
};

std::filesystem::path examplePath(const std::string& name);

CanvasConversion conversion(std::int64_t canvasIndex, std::string name);
std::shared_ptr<const LoadedDocument> document(std::vector<CanvasConversion> conversions,
                                               std::filesystem::path sourcePath = "/projects/box.lac");

// Runs the event loop until `done` holds; false if it still does not after a generous limit.
bool waitUntil(const std::function<bool()>& done);

template <class PhaseCase>
bool waitForPhase(const AppState& state) {
    return waitUntil([&state] { return std::holds_alternative<PhaseCase>(state.phase()); });
}

}  // namespace kerfwright::app::testing
