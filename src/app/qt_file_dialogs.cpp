#include "qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "qt_text.h"
#include "recent_projects.h"

namespace kerfwright::app {
namespace {

std::optional<std::filesystem::path> chosenPath(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    return filePath(text);
}

std::optional<std::filesystem::path> firstSelected(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList selected = dialog.selectedFiles();
    if (selected.isEmpty()) return std::nullopt;
    return chosenPath(selected.first());
}

}  // namespace

// Starts where the project opened last lies.
std::optional<std::filesystem::path> QtFileDialogs::chooseProjectFile() {
    QFileDialog dialog(window_);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (const auto latest = RecentProjects::latest()) dialog.setDirectory(qtPathText(latest->parent_path()));
    dialog.setNameFilter(QStringLiteral("Laser projects (*.lac *.zip)"));
    return firstSelected(dialog);
}

std::optional<std::filesystem::path> QtFileDialogs::chooseSvgLocation(const std::filesystem::path& proposedPath) {
    QFileDialog dialog(window_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("SVG drawings (*.svg)"));
    // No default suffix: a name typed without ".svg" is used as typed.
    dialog.setDirectory(qtPathText(proposedPath.parent_path()));
    dialog.selectFile(qtPathText(proposedPath.filename()));
    return firstSelected(dialog);
}

std::optional<std::filesystem::path> QtFileDialogs::chooseFolder(const std::string& message, const std::string& confirmText,
                                                                 const std::filesystem::path& startFolder) {
    QFileDialog dialog(window_);
    dialog.setDirectory(qtPathText(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Desktop file choosers have no message line; the title carries it.
    dialog.setWindowTitle(qtText(message));
    dialog.setLabelText(QFileDialog::Accept, qtText(confirmText));
    return firstSelected(dialog);
}

}  // namespace kerfwright::app
