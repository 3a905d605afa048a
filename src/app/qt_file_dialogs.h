#pragma once
// The dialogs of a window, as the desktop provides them.

#include "app_state.h"

class QWidget;

namespace kerfwright::app {

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* window) : window_(window) {}

    std::optional<std::filesystem::path> chooseProjectFile() override;
    std::optional<std::filesystem::path> chooseSvgLocation(const std::filesystem::path& proposedPath) override;
    std::optional<std::filesystem::path> chooseFolder(const std::string& message, const std::string& confirmText,
                                                      const std::filesystem::path& startFolder) override;

private:
    QWidget* window_;
};

}  // namespace kerfwright::app
