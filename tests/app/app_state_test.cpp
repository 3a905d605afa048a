#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThreadPool>

#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>

#include "app_state.h"
#include "app_test_support.h"
#include "zip_builder.h"

namespace kerfwright::app {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::string errorMessage(const AppState& state) {
    const auto* error = std::get_if<ErrorPhase>(&state.phase());
    return error ? error->message : "(not an error)";
}

const LoadedDocument* loadedDocument(const AppState& state) {
    const auto* loaded = std::get_if<LoadedPhase>(&state.phase());
    return loaded ? loaded->loaded.get() : nullptr;
}

TEST(AppStateTest, LoadShowsLoadingAtOnceThenTheDocument) {
    AnsweringDialogs dialogs;
    AppState state(dialogs);
    const fs::path location = examplePath("box");
    state.load(location);
    const auto* loading = std::get_if<LoadingPhase>(&state.phase());
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->location, location);

    ASSERT_TRUE(waitForPhase<LoadedPhase>(state));
    EXPECT_EQ(loadedDocument(state)->sourcePath, location);
    EXPECT_EQ(loadedDocument(state)->conversions.size(), 3u);
}

TEST(AppStateTest, UnreadableFilesEndInTheReadFailureMessage) {
    TemporaryFolder folder;
    lacgen::ZipBuilder().addFile("Metadata2D/project_settings.json", "{}").writeTo(folder.path() / "box.lac");
    AnsweringDialogs dialogs;
    AppState state(dialogs);
    state.load(folder.path() / "box.lac");
    ASSERT_TRUE(waitForPhase<ErrorPhase>(state));
    EXPECT_EQ(errorMessage(state), "Failed to read box.lac: Missing required entry in .lac archive: 2D/2dmodel.json");
}

// Loads that end only when the test says so, with the outcome it gives.
TEST(AppStateTest, ALoaderThatThrowsShowsAnErrorInsteadOfAborting) {
    AnsweringDialogs dialogs;
    AppState state(dialogs, [](const fs::path&) -> LoadOutcome { throw std::runtime_error("boom"); });
    state.load("/projects/box.lac");
    ASSERT_TRUE(waitForPhase<ErrorPhase>(state));
    EXPECT_EQ(errorMessage(state), "Failed to read box.lac: Unexpected error");
}

class GatedLoader {
public:
    // A failed test must not leave workers waiting, nor let them outlive the gate.
    ~GatedLoader() {
        std::unique_lock lock(mutex_);
        open_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return waiting_ == 0; });
    }

    Loader loader() {
        return [this](const fs::path& location) -> LoadOutcome {
            std::unique_lock lock(mutex_);
            ++waiting_;
            changed_.wait(lock, [&] { return open_ || outcomes_.contains(location); });
            --waiting_;
            changed_.notify_all();
            if (!outcomes_.contains(location)) return std::string("never released");
            return outcomes_.at(location);
        };
    }

    void release(const fs::path& location, LoadOutcome outcome) {
        std::lock_guard lock(mutex_);
        outcomes_.emplace(location, std::move(outcome));
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<fs::path, LoadOutcome> outcomes_;
    int waiting_ = 0;
    bool open_ = false;
};

TEST(AppStateTest, OverlappingLoadsAreDecidedByTheOneThatEndsLast) {
    const fs::path first = "/a.lac";
    const fs::path second = "/b.lac";
    for (const bool firstEndsLast : {true, false}) {
        GatedLoader gate;
        AnsweringDialogs dialogs;
        AppState state(dialogs, gate.loader());
        state.load(first);
        state.load(second);
        EXPECT_EQ(std::get<LoadingPhase>(state.phase()).location, second);

        const fs::path endsFirst = firstEndsLast ? second : first;
        const fs::path endsLast = firstEndsLast ? first : second;
        gate.release(endsFirst, document({conversion(0, "")}, endsFirst));
        ASSERT_TRUE(waitUntil([&] { return loadedDocument(state) && loadedDocument(state)->sourcePath == endsFirst; }));
        gate.release(endsLast, std::string("Failed to read ") + endsLast.filename().string());
        ASSERT_TRUE(waitForPhase<ErrorPhase>(state));
        EXPECT_EQ(errorMessage(state), "Failed to read " + endsLast.filename().string());
    }
}

// Closing a window while its file is read: the outcome has nowhere to go.
TEST(AppStateTest, LoadOutlivingItsWindowIsDropped) {
    GatedLoader gate;
    AnsweringDialogs dialogs;
    auto state = std::make_unique<AppState>(dialogs, gate.loader());
    state->load("/a.lac");
    state.reset();
    gate.release("/a.lac", std::string("Failed to read a.lac"));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

TEST(AppStateTest, OpenDialogLoadsTheChosenFileOrChangesNothing) {
    AnsweringDialogs dialogs;
    AppState state(dialogs);
    int phaseChanges = 0;
    QObject::connect(&state, &AppState::phaseChanged, [&] { ++phaseChanges; });
    state.openFilePanel();
    EXPECT_TRUE(std::holds_alternative<EmptyPhase>(state.phase()));
    EXPECT_EQ(phaseChanges, 0);

    dialogs.projectFile = examplePath("coaster");
    state.openFilePanel();
    EXPECT_EQ(std::get<LoadingPhase>(state.phase()).location, examplePath("coaster"));
    EXPECT_EQ(dialogs.projectFileQuestions, 2);
    EXPECT_TRUE(waitForPhase<LoadedPhase>(state));
}

class AppStateSaveTest : public ::testing::Test {
protected:
    std::shared_ptr<const LoadedDocument> load(const std::string& example) {
        return std::get<std::shared_ptr<const LoadedDocument>>(readAndConvert(examplePath(example)));
    }

    void expectSameFiles(const fs::path& written, const fs::path& expected) {
        ASSERT_EQ(folderEntries(written), folderEntries(expected));
        for (const std::string& name : folderEntries(expected)) {
            EXPECT_EQ(fileContents(written / name), fileContents(expected / name)) << name;
        }
    }

    AnsweringDialogs dialogs_;
    AppState state_{dialogs_};
    TemporaryFolder folder_;
};

TEST_F(AppStateSaveTest, SaveAllWritesWhatTheConverterWrites) {
    const auto box = load("box");
    dialogs_.folder = folder_.path();
    state_.saveAll(*box);
    ASSERT_EQ(dialogs_.folderQuestions.size(), 1u);
    EXPECT_EQ(dialogs_.folderQuestions[0].first, "Choose a folder to save 3 SVG files");
    EXPECT_EQ(dialogs_.folderQuestions[0].second, "Save All");
    EXPECT_TRUE(std::holds_alternative<EmptyPhase>(state_.phase()));
    expectSameFiles(folder_.path(), expectedOutputFolder("box"));
}

TEST_F(AppStateSaveTest, SaveOneProposesTheNameBesideTheSourceAndWritesTheSidecar) {
    const auto coaster = load("coaster");
    dialogs_.svgLocation = folder_.path() / "coaster.svg";
    state_.saveOne(*coaster, 0);
    ASSERT_EQ(dialogs_.proposedSvgPaths.size(), 1u);
    EXPECT_EQ(dialogs_.proposedSvgPaths[0], examplePath("coaster").parent_path() / "coaster.svg");
    expectSameFiles(folder_.path(), expectedOutputFolder("coaster"));
}

TEST_F(AppStateSaveTest, CancelledDialogsWriteNothing) {
    const auto box = load("box");
    state_.saveAll(*box);
    state_.saveOne(*box, 1);
    EXPECT_TRUE(folderEntries(folder_.path()).empty());
    EXPECT_TRUE(std::holds_alternative<EmptyPhase>(state_.phase()));
}

TEST_F(AppStateSaveTest, FailedWritesShowTheSaveFailure) {
    const auto box = load("box");
    const fs::path gone = folder_.path() / "gone";
    dialogs_.folder = gone;
    state_.saveAll(*box);
    EXPECT_EQ(errorMessage(state_).rfind("Failed to save: Could not write \"" + (gone / "box.Front.svg").string() + "\": ", 0),
              0u)
        << errorMessage(state_);

    state_.setPhase(EmptyPhase{});
    dialogs_.svgLocation = gone / "one.svg";
    state_.saveOne(*box, 0);
    EXPECT_EQ(errorMessage(state_).rfind("Failed to save: ", 0), 0u) << errorMessage(state_);
}

}  // namespace
}  // namespace kerfwright::app
