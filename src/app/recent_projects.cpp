#include "recent_projects.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <system_error>

#include "qt_text.h"

namespace kerfwright::app::RecentProjects {
namespace {

const QString kKey = QStringLiteral("recent/projects");

QStringList remembered() { return QSettings().value(kKey).toStringList(); }

void keep(const QStringList& projects) { QSettings().setValue(kKey, projects); }

}  // namespace

std::vector<std::filesystem::path> list() {
    std::vector<std::filesystem::path> projects;
    QStringList stillThere;
    for (const QString& text : remembered()) {
        const std::filesystem::path project = filePath(text);
        std::error_code error;
        if (!std::filesystem::is_regular_file(project, error)) continue;
        projects.push_back(project);
        stillThere << text;
    }
    // Missing files leave the list for good.
    if (stillThere != remembered()) keep(stillThere);
    return projects;
}

std::optional<std::filesystem::path> latest() {
    const std::vector<std::filesystem::path> projects = list();
    if (projects.empty()) return std::nullopt;
    return projects.front();
}

void remember(const std::filesystem::path& project) {
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(project, error);
    const QString text = qtPathText(error ? project : whole);
    QStringList projects = remembered();
    projects.removeAll(text);
    projects.prepend(text);
    while (static_cast<std::size_t>(projects.size()) > kMostRemembered) projects.removeLast();
    keep(projects);
}

void forgetAll() { keep({}); }

}  // namespace kerfwright::app::RecentProjects
