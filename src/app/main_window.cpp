#include "main_window.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

#include "content_view.h"
#include "interface_text.h"
#include "qt_text.h"
#include "recent_projects.h"

namespace kerfwright::app {
namespace {

const QSize kInitialSize(1000, 680);
const QSize kMinimumSize(720, 480);
// What the window leaves of the screen's free area for its frame and title.
constexpr double kScreenShare = 0.9;

// The profile chosen last, kept between runs in the user's settings.
const QString kProfileKey = QStringLiteral("output/profile");
const QString kHairlineKey = QStringLiteral("output/hairline");

OutputProfile rememberedProfile() {
    const QSettings settings;
    const std::string name = settings.value(kProfileKey).toString().toStdString();
    return {profileNameFromText(name).value_or(ProfileName::standard), settings.value(kHairlineKey).toBool()};
}

void rememberProfile(const OutputProfile& profile) {
    QSettings settings;
    settings.setValue(kProfileKey, qtText(rawValue(profile.name)));
    settings.setValue(kHairlineKey, profile.hairline);
}

// A size made smaller where the screen is smaller, as it is on a small screen
// at a large scale factor, so that the whole window, save buttons and all,
// is on the screen.
QSize fittedTo(const QScreen& screen, QSize wanted) {
    return wanted.boundedTo((QSizeF(screen.availableGeometry().size()) * kScreenShare).toSize());
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), dialogs_(this), state_(dialogs_) {
    setAttribute(Qt::WA_DeleteOnClose);
    state_.setProfile(rememberedProfile());
    connect(&state_, &AppState::profileChanged, this, [this] { rememberProfile(state_.profile()); });
    content_ = new ContentView(state_);
    connect(content_, &ContentView::otherFilesDropped, this, [](const std::vector<std::filesystem::path>& files) {
        for (const std::filesystem::path& file : files) openWindow()->state().load(file);
    });
    setCentralWidget(content_);
    createFileMenu();
    connect(&state_, &AppState::phaseChanged, this, &MainWindow::showTitle);
    connect(&state_, &AppState::phaseChanged, this, &MainWindow::rememberOpened);
    // What a save wrote stays said until the window shows something else.
    connect(&state_, &AppState::saved, statusBar(), [this](const QString& message) { statusBar()->showMessage(message); });
    connect(&state_, &AppState::phaseChanged, statusBar(), &QStatusBar::clearMessage);
    showTitle();
    // The menu bar and the status bar count in the window's size.
    const QSize bars(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    content_->setMinimumSize(fittedTo(*screen(), kMinimumSize) - bars);
    resize(fittedTo(*screen(), kInitialSize));
}

void MainWindow::createFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(qtText(InterfaceTexts::kOpenCommand));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &openInFocusedWindow);
    QMenu* recent = file->addMenu(QStringLiteral("Open &Recent"));
    recent->setObjectName(QStringLiteral("openRecent"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { listRecent(*recent); });
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close Window"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
}

// The projects opened last that still exist, each opened into this window;
// a menu made each time it opens, so that it never lists a file gone since.
void MainWindow::listRecent(QMenu& menu) {
    menu.clear();
    const std::vector<std::filesystem::path> projects = RecentProjects::list();
    for (const std::filesystem::path& project : projects) {
        // "&" in a name is shown, not taken as a shortcut.
        QAction* item = menu.addAction(qtPathText(project.filename()).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setToolTip(qtPathText(project));
        item->setStatusTip(qtPathText(project));
        connect(item, &QAction::triggered, this, [this, project] { state_.load(project); });
    }
    if (projects.empty()) menu.addAction(QStringLiteral("No Recent Projects"))->setEnabled(false);
    menu.addSeparator();
    QAction* clear = menu.addAction(QStringLiteral("Clear Menu"));
    clear->setEnabled(!projects.empty());
    connect(clear, &QAction::triggered, this, [] { RecentProjects::forgetAll(); });
}

void MainWindow::rememberOpened() {
    const auto* loaded = std::get_if<LoadedPhase>(&state_.phase());
    if (loaded && !loaded->convertedAgain) RecentProjects::remember(loaded->loaded->sourcePath);
}

// The document's file name while one is shown, as desktop windows do.
void MainWindow::showTitle() {
    const auto* loaded = std::get_if<LoadedPhase>(&state_.phase());
    setWindowTitle(loaded ? qtPathText(loaded->loaded->sourcePath.filename()) + QStringLiteral(" \u2014 ") + qtText(InterfaceTexts::kTitle)
                          : qtText(InterfaceTexts::kTitle));
}

MainWindow* openWindow() {
    auto* window = new MainWindow;
    window->show();
    return window;
}

void openInFocusedWindow() {
    if (auto* window = qobject_cast<MainWindow*>(QApplication::activeWindow())) window->state().openFilePanel();
}

}  // namespace kerfwright::app
