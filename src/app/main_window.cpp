#include "main_window.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include "content_view.h"
#include "interface_text.h"
#include "qt_text.h"

namespace kerfwright::app {
namespace {

constexpr int kInitialWidth = 1000;
constexpr int kInitialHeight = 680;

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
    showTitle();
    resize(kInitialWidth, kInitialHeight);
}

void MainWindow::createFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(qtText(InterfaceTexts::kOpenCommand));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &openInFocusedWindow);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
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
