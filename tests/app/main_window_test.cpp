// The window as a desktop program: its title, its File menu's recent
// projects and Close Window, and what it says after a save.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "main_window.h"
#include "qt_file_dialogs.h"
#include "qt_text.h"
#include "recent_projects.h"
#include "support/run_command.h"

namespace kerfwright::app {
namespace {

namespace fs = std::filesystem;
using testing::examplePath;
using testing::waitForPhase;
using testing::waitUntil;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { RecentProjects::forgetAll(); }
    ~MainWindowTest() override { fs::remove_all(folder_); }

    // A copy of an example under another name.
    fs::path project(const std::string& name) const {
        const fs::path copy = folder_ / name;
        fs::copy_file(examplePath("coaster"), copy, fs::copy_options::overwrite_existing);
        return copy;
    }

    QMenu& recentMenu(MainWindow& window) {
        auto* menu = window.menuBar()->findChild<QMenu*>(QStringLiteral("openRecent"));
        EXPECT_NE(menu, nullptr);
        emit menu->aboutToShow();
        return *menu;
    }

    std::vector<std::string> recentItems(MainWindow& window) {
        std::vector<std::string> items;
        for (const QAction* item : recentMenu(window).actions()) {
            if (item->isSeparator()) continue;
            items.push_back(item->text().toStdString());
            if (!item->isEnabled()) items.back() += " (disabled)";
        }
        return items;
    }

    void open(MainWindow& window, const fs::path& file) {
        window.state().load(file);
        ASSERT_TRUE(waitForPhase<LoadedPhase>(window.state()));
    }

    const fs::path folder_ = kerfwright::testing::makeTemporaryFolder();
};

TEST_F(MainWindowTest, OpenRecentListsTheLastTenProjectsThatStillExist) {
    MainWindow window;
    EXPECT_EQ(recentItems(window), (std::vector<std::string>{"No Recent Projects (disabled)", "Clear Menu (disabled)"}));
    for (int i = 1; i <= 12; ++i) open(window, project(std::string("p").append(std::to_string(i)).append(".lac")));
    open(window, folder_ / "p5.lac");  // opened again: first, and listed once
    fs::remove(folder_ / "p12.lac");
    EXPECT_EQ(recentItems(window), (std::vector<std::string>{"p5.lac", "p11.lac", "p10.lac", "p9.lac", "p8.lac", "p7.lac",
                                                              "p6.lac", "p4.lac", "p3.lac", "Clear Menu"}));
    // Remembered between runs: a new window lists them too, and opens one.
    MainWindow next;
    QMenu& menu = recentMenu(next);
    menu.actions().at(1)->trigger();
    ASSERT_TRUE(waitForPhase<LoadedPhase>(next.state()));
    EXPECT_EQ(std::get<LoadedPhase>(next.state().phase()).loaded->sourcePath, folder_ / "p11.lac");
    menu.actions().back()->trigger();
    EXPECT_EQ(recentItems(next), (std::vector<std::string>{"No Recent Projects (disabled)", "Clear Menu (disabled)"}));
}

TEST_F(MainWindowTest, ANameIsShownAsItIsInTheMenuAndTheTitle) {
    MainWindow window;
    open(window, project("R&D <b>x<i>.lac"));
    EXPECT_EQ(recentItems(window), (std::vector<std::string>{"R&&D <b>x<i>.lac", "Clear Menu"}));
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("R&D <b>x<i>.lac \u2014 "))) << window.windowTitle().toStdString();
}

TEST_F(MainWindowTest, TheOpenDialogStartsAtTheProjectOpenedLastAndSaveAllAtTheProject) {
    const fs::path inner = folder_ / "inner";
    fs::create_directory(inner);
    fs::copy_file(examplePath("coaster"), inner / "coaster.lac");
    RecentProjects::remember(inner / "coaster.lac");
    QtFileDialogs dialogs(nullptr);
    auto shown = std::make_shared<std::string>();
    // The next dialog says which folder it shows, and is cancelled.
    const auto watchNextDialog = [shown] {
        QTimer::singleShot(0, [shown] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            *shown = dialog->directory().absolutePath().toStdString();
            dialog->reject();
        });
    };
    watchNextDialog();
    EXPECT_EQ(dialogs.chooseProjectFile(), std::nullopt);
    EXPECT_EQ(*shown, inner.string());
    watchNextDialog();
    EXPECT_EQ(dialogs.chooseFolder("Choose a folder", "Save All", folder_), std::nullopt);
    EXPECT_EQ(*shown, folder_.string());
}

TEST_F(MainWindowTest, CtrlWClosesTheWindow) {
    QPointer<MainWindow> window = new MainWindow;
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_TRUE(waitUntil([&window] { return window.isNull(); }));
}

TEST_F(MainWindowTest, TheStatusBarSaysWhatASaveWroteUntilTheWindowShowsAnotherProject) {
    MainWindow window;
    open(window, project("one.lac"));
    emit window.state().saved(QStringLiteral("Saved 2 files to /somewhere"));
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("Saved 2 files to /somewhere"));
    open(window, project("two.lac"));
    EXPECT_EQ(window.statusBar()->currentMessage(), QString());
}

}  // namespace
}  // namespace kerfwright::app
