#pragma once
// The state of one window: which document it shows, or that one is being
// read, or that reading or saving failed. Loading reads and converts on a
// worker thread; the outcome comes back to the user-interface thread whole.

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "session/save_outputs.h"

namespace kerfwright::app {

struct EmptyPhase {};
struct LoadingPhase {
    std::filesystem::path location;
};
struct LoadedPhase {
    // Shared so that a view can keep the document it shows while the phase moves on.
    std::shared_ptr<const LoadedDocument> loaded;
    // The document shown before, converted again with another profile: the
    // window keeps the drawing chosen and the layers hidden.
    bool convertedAgain = false;
};
struct ErrorPhase {
    std::string message;  // the whole text shown to the user
};
using Phase = std::variant<EmptyPhase, LoadingPhase, LoadedPhase, ErrorPhase>;

// The modal dialogs the state asks; tests answer them without a display.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // A .lac project or a ZIP archive to read.
    virtual std::optional<std::filesystem::path> chooseProjectFile() = 0;
    // Where to save one SVG, proposing `proposedPath`.
    virtual std::optional<std::filesystem::path> chooseSvgLocation(const std::filesystem::path& proposedPath) = 0;
    // A folder for several SVG files, with a message and a confirm button
    // text, starting in `startFolder`.
    virtual std::optional<std::filesystem::path> chooseFolder(const std::string& message, const std::string& confirmText,
                                                              const std::filesystem::path& startFolder) = 0;
};

// A read and converted document, or the message saying why it could not be read.
using LoadOutcome = std::variant<std::shared_ptr<const LoadedDocument>, std::string>;
using Loader = std::function<LoadOutcome(const std::filesystem::path&, const OutputProfile&)>;

// Reads and converts a project; never throws.
LoadOutcome readAndConvert(const std::filesystem::path& location, const OutputProfile& profile = {});

class AppState : public QObject {
    Q_OBJECT

public:
    // Saving puts each file where `write` puts it: on disk unless a test
    // watches the files go by.
    explicit AppState(FileDialogs& dialogs, Loader loader = readAndConvert,
                      TextFileWriter write = writeTextAtomically, QObject* parent = nullptr);

    const Phase& phase() const { return phase_; }
    void setPhase(Phase phase);

    // Shows the loading phase at once; the outcome arrives later as a phase
    // change. When loads overlap, the file chosen last is the one shown: an
    // earlier load still running is dropped when it ends.
    void load(const std::filesystem::path& location);
    void openFilePanel();

    // The profile documents are converted with. Changing it converts the
    // shown document again, from its file.
    const OutputProfile& profile() const { return profile_; }
    void setProfile(const OutputProfile& profile);

    // A save that fails keeps the document shown and says why (saveFailed).
    void saveOne(const LoadedDocument& loaded, std::size_t conversionIndex);
    void saveAll(const LoadedDocument& loaded);

signals:
    void phaseChanged();
    void profileChanged();
    // "Failed to save: " and why, over the document that stays shown.
    void saveFailed(const QString& message);
    // "Saved 4 files to FOLDER", once a save has written everything.
    void saved(const QString& message);

private:
    void startLoad(const std::filesystem::path& location, bool convertedAgain);
    void showSaveOutcome(const SaveOutcome& outcome);

    FileDialogs& dialogs_;
    Loader loader_;
    TextFileWriter write_;
    Phase phase_;
    OutputProfile profile_;
    std::uint64_t latestLoad_ = 0;  // the number of the load whose outcome is shown
};

}  // namespace kerfwright::app
