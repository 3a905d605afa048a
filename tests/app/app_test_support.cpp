#include "app_test_support.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace kerfwright::app::testing {
namespace {

// Loads read small files; a minute means something hangs.
constexpr int kWaitLimitMilliseconds = 60000;
constexpr int kCheckMilliseconds = 5;

}  // namespace

std::optional<std::filesystem::path> AnsweringDialogs::chooseProjectFile() {
    asked += "open\n";
    return projectFile;
}

std::optional<std::filesystem::path> AnsweringDialogs::chooseSvgLocation(const std::filesystem::path& proposedPath) {
    asked += "save proposing " + proposedPath.string() + "\n";
    return svgLocation;
}

std::optional<std::filesystem::path> AnsweringDialogs::chooseFolder(const std::string& message,
                                                                    const std::string& confirmText,
                                                                    const std::filesystem::path& startFolder) {
    asked += "folder \"" + message + "\" confirmed by \"" + confirmText + "\" in " + startFolder.string() + "\n";
    return folder;
}

std::filesystem::path examplePath(const std::string& name) {
    return std::filesystem::path(KERFWRIGHT_SOURCE_DIR) / "examples" / (name + ".lac");
}

CanvasConversion conversion(std::int64_t canvasIndex, std::string name) {
    CanvasConversion c;
    c.canvasIndex = canvasIndex;
    c.canvasName = std::move(name);
    c.svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10mm\" height=\"10mm\" viewBox=\"0 0 10 10\"/>";
    c.bounds = BoundingBox{0, 0, 10, 10};
    return c;
}

std::shared_ptr<const LoadedDocument> document(std::vector<CanvasConversion> conversions,
                                               std::filesystem::path sourcePath) {
    return std::make_shared<const LoadedDocument>(
        LoadedDocument{std::move(sourcePath), LACDocument{}, std::move(conversions), {}});
}

// A real event loop, not QTest's wait: that one sleeps between rounds of
// events, and the web engine, which runs its own tasks one after another on
// this thread, then takes seconds over a page it draws in milliseconds.
bool waitUntil(const std::function<bool()>& done) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        // As QTest's wait does: objects let go of are deleted on the way.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done()) loop.quit();
    });
    check.start(kCheckMilliseconds);
    QTimer::singleShot(kWaitLimitMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

}  // namespace kerfwright::app::testing
