#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThreadPool>

#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>

#include "app_state.h"
#include "app_test_support.h"

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

TEST(AppStateTest, ALoaderThatThrowsShowsAnErrorInsteadOfAborting) {
    AnsweringDialogs dialogs;
    AppState state(dialogs, [](const fs::path&, const OutputProfile&) -> LoadOutcome { throw std::runtime_error("boom"); });
    state.load("/projects/box.lac");
    ASSERT_TRUE(waitForPhase<ErrorPhase>(state));
    EXPECT_EQ(errorMessage(state), "Failed to read box.lac: Unexpected error");
}

// Loads that end only when the test says so, with the outcome it gives.
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
        return [this](const fs::path& location, const OutputProfile&) -> LoadOutcome {
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

// The file chosen last is the one shown, whichever load ends first; an
// earlier load still running is dropped when it ends.
TEST(AppStateTest, OverlappingLoadsShowTheFileChosenLast) {
    const fs::path first = "/a.lac";
    const fs::path second = "/b.lac";
    for (const bool firstEndsLast : {true, false}) {
        GatedLoader gate;
        AnsweringDialogs dialogs;
        AppState state(dialogs, gate.loader());
        state.load(first);
        state.load(second);
        EXPECT_EQ(std::get<LoadingPhase>(state.phase()).location, second);

        if (!firstEndsLast) gate.release(first, std::string("Failed to read a.lac"));
        gate.release(second, document({conversion(0, "")}, second));
        ASSERT_TRUE(waitUntil([&] { return loadedDocument(state) != nullptr; }));
        if (firstEndsLast) gate.release(first, std::string("Failed to read a.lac"));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        ASSERT_NE(loadedDocument(state), nullptr) << firstEndsLast;
        EXPECT_EQ(loadedDocument(state)->sourcePath, second);
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

}  // namespace
}  // namespace kerfwright::app
