#include "app_state.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>
#include <utility>

#include "reading/read_error.h"
#include "session/conversion_summary.h"
#include "values/work_sharing.h"

namespace kerfwright::app {
namespace {

Phase phaseAfter(LoadOutcome outcome, bool convertedAgain) {
    if (auto* loaded = std::get_if<std::shared_ptr<const LoadedDocument>>(&outcome)) {
        return LoadedPhase{std::move(*loaded), convertedAgain};
    }
    return ErrorPhase{std::move(std::get<std::string>(outcome))};
}

}  // namespace

LoadOutcome readAndConvert(const std::filesystem::path& location, const OutputProfile& profile) {
    // The load runs off the window's thread; every core may share it.
    auto outcome = loadDocumentOrFailureMessage(location, profile, usableThreadCount());
    if (auto* message = std::get_if<std::string>(&outcome)) return std::move(*message);
    try {
        return std::make_shared<const LoadedDocument>(std::move(std::get<LoadedDocument>(outcome)));
    } catch (const std::exception& error) {
        return readFailureMessage(location, error.what());
    }
}

AppState::AppState(FileDialogs& dialogs, Loader loader, TextFileWriter write, QObject* parent)
    : QObject(parent), dialogs_(dialogs), loader_(std::move(loader)), write_(std::move(write)) {}

void AppState::setPhase(Phase phase) {
    phase_ = std::move(phase);
    emit phaseChanged();
}

void AppState::load(const std::filesystem::path& location) { startLoad(location, false); }

void AppState::startLoad(const std::filesystem::path& location, bool convertedAgain) {
    setPhase(LoadingPhase{location});
    const std::uint64_t load = ++latestLoad_;
    // The worker gets its own copies. The watcher, a child of this state,
    // reports on this state's thread, and goes with the state if the window
    // closes first: the outcome then has nowhere to go and is dropped.
    auto* watcher = new QFutureWatcher<LoadOutcome>(this);
    connect(watcher, &QFutureWatcher<LoadOutcome>::finished, this, [this, watcher, location, convertedAgain, load] {
        watcher->deleteLater();
        // A file chosen since has the window: this outcome is no longer wanted.
        if (load != latestLoad_) return;
        // A loader that throws after all must not take the window with it.
        try {
            setPhase(phaseAfter(watcher->result(), convertedAgain));
        } catch (...) {
            setPhase(ErrorPhase{readFailureMessage(location, "Unexpected error")});
        }
    });
    watcher->setFuture(
        QtConcurrent::run([loader = loader_, location, profile = profile_] { return loader(location, profile); }));
}

void AppState::setProfile(const OutputProfile& profile) {
    if (profile == profile_) return;
    profile_ = profile;
    emit profileChanged();
    if (const auto* loaded = std::get_if<LoadedPhase>(&phase_)) startLoad(loaded->loaded->sourcePath, true);
}

void AppState::openFilePanel() {
    if (const auto chosen = dialogs_.chooseProjectFile()) load(*chosen);
}

void AppState::saveOne(const LoadedDocument& loaded, std::size_t conversionIndex) {
    if (conversionIndex >= loaded.conversions.size()) return;
    const std::filesystem::path proposed =
        loaded.sourcePath.parent_path() / filename(loaded.conversions[conversionIndex], loaded);
    const auto chosen = dialogs_.chooseSvgLocation(proposed);
    if (!chosen) return;
    showSaveOutcome(kerfwright::saveOne(loaded, conversionIndex, *chosen, write_));
}

void AppState::saveAll(const LoadedDocument& loaded) {
    const auto folder = dialogs_.chooseFolder(
        ConversionSummary::saveAllFolderMessage(loaded.conversions.size(), loaded.profile), "Save All",
        loaded.sourcePath.parent_path());
    if (!folder) return;
    showSaveOutcome(kerfwright::saveAll(loaded, *folder, write_));
}

void AppState::showSaveOutcome(const SaveOutcome& outcome) {
    if (outcome.failureMessage) emit saveFailed(QString::fromStdString(*outcome.failureMessage));
    else if (!outcome.saved.empty()) emit saved(QString::fromStdString(savedFilesMessage(outcome)));
}

}  // namespace kerfwright::app
