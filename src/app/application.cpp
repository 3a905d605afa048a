#include "application.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <system_error>

#include "content_view.h"
#include "loaded_view.h"
#include "main_window.h"
#include "qt_text.h"
#include "svg_preview_view.h"

namespace kerfwright::app {
namespace {

// How often a screenshot looks whether the preview has painted its page, and
// how long it waits at most before giving up.
constexpr int kPaintPollMilliseconds = 100;
constexpr int kScreenshotLimitMilliseconds = 60000;

enum ScreenshotStatus { kShown = 0, kShownError = 1, kNothingShown = 2, kNotWritten = 3 };

void describeApplication() {
    QApplication::setApplicationName(QStringLiteral("kerfwright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kerfwright"));
    QApplication::setApplicationVersion(QStringLiteral(KERFWRIGHT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("kerfwright"));
    // Outside a desktop session Qt knows no icon theme; this one ships with
    // most Linux desktops and has every symbol the window uses.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kerfwright"),
                                                 QIcon(QStringLiteral(":/kerfwright/kerfwright.svg"))));
}

// Desktop launchers pass paths; some pass file: URLs instead.
std::filesystem::path argumentPath(const QString& argument) {
    const QUrl url(argument);
    const QString local = url.isLocalFile() ? url.toLocalFile() : argument;
    std::error_code ignored;
    const std::filesystem::path path = filePath(local);
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute;
}

bool hasPainted(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first) return true;
        }
    }
    return false;
}

// Grabs the window into a PNG once it has settled (its document shown with
// the preview painted, its error, or the empty window), then ends the
// application. The README's picture and the desktop smoke test are made this
// way.
class WindowScreenshot : public QObject {
public:
    WindowScreenshot(MainWindow& window, QString pngPath)
        : QObject(&window), window_(window), pngPath_(std::move(pngPath)) {
        connect(&window.content(), &ContentView::faceShown, this, &WindowScreenshot::faceShown);
        QTimer::singleShot(kScreenshotLimitMilliseconds, this, [] { QCoreApplication::exit(kNothingShown); });
    }

private:
    void faceShown() {
        if (!std::holds_alternative<LoadingPhase>(window_.state().phase())) waitForPaint();
    }

    // The preview has placed its drawing for its present size, and the engine
    // has painted it: the picture has stopped changing from one look to the
    // next.
    void waitForPaint() {
        auto* document = qobject_cast<LoadedView*>(window_.content().face());
        SvgPreviewView* preview = document ? document->preview() : nullptr;
        QImage picture;
        if (preview && preview->isShowingPlacement()) picture = preview->grab().toImage();
        const bool settled = preview == nullptr || (hasPainted(picture) && picture == lastPicture_);
        if (!settled) {
            lastPicture_ = picture;
            QTimer::singleShot(kPaintPollMilliseconds, this, &WindowScreenshot::waitForPaint);
            return;
        }
        const bool written = window_.grab().save(pngPath_, "PNG");
        const bool failed = std::holds_alternative<ErrorPhase>(window_.state().phase());
        QCoreApplication::exit(!written ? kNotWritten : failed ? kShownError : kShown);
    }

    MainWindow& window_;
    QString pngPath_;
    QImage lastPicture_;
};

// The web engine's profile goes away with the application object; every page
// must be gone before that.
void deleteWindows() {
    QList<QPointer<MainWindow>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(widget)) windows.append(window);
    }
    for (const QPointer<MainWindow>& window : windows) delete window.data();
}

}  // namespace

int runApplication(QApplication& application) {
    describeApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows laser projects (.lac) and saves them as SVG drawings."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Projects to open, one window each."),
                                 QStringLiteral("[FILE.lac...]"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the first window once it has settled, then quit."),
                                  QStringLiteral("PNG"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    parser.process(application);

    const QStringList files = parser.positionalArguments();
    MainWindow* first = openWindow();
    if (!files.isEmpty()) first->state().load(argumentPath(files.first()));
    for (qsizetype i = 1; i < files.size(); ++i) openWindow()->state().load(argumentPath(files[i]));
    if (parser.isSet(screenshot)) new WindowScreenshot(*first, parser.value(screenshot));
    const int status = application.exec();
    deleteWindows();
    return status;
}

}  // namespace kerfwright::app
