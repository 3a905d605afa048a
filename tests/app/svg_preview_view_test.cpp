// The preview shows the drawing inside a page of its own that may fetch
// nothing and run nothing.

#include <gtest/gtest.h>

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>

#include "app_test_support.h"
#include "content_view.h"
#include "loaded_view.h"
#include "svg_preview_view.h"

namespace kerfwright::app {
namespace {

using namespace testing;

TEST(SvgPreviewViewTest, LetsOnlyThePageAndItsDataThrough) {
    EXPECT_TRUE(isAllowedPreviewRequest(QUrl(QStringLiteral("data:text/html;charset=UTF-8,%3Csvg%3E"))));
    EXPECT_TRUE(isAllowedPreviewRequest(QUrl(QStringLiteral("kerfwright-preview:page-1"))));
    EXPECT_TRUE(isAllowedPreviewRequest(QUrl(QStringLiteral("data:image/png;base64,iVBORw0KGgo="))));
    for (const char* blocked : {"https://example.org/a.png", "http://127.0.0.1/", "file:///etc/passwd", "qrc:/x.png",
                                "ftp://h/x", "about:blank"}) {
        EXPECT_FALSE(isAllowedPreviewRequest(QUrl(QString::fromLatin1(blocked)))) << blocked;
    }
}

// The page as the engine holds it, once the window shows `loaded`.
QString shownPage(std::shared_ptr<const LoadedDocument> loaded) {
    AnsweringDialogs dialogs;
    AppState state(dialogs);
    ContentView view(state);
    bool shown = false;
    view.show();
    state.setPhase(LoadedPhase{std::move(loaded)});
    QObject::connect(&view, &ContentView::faceShown, [&] { shown = true; });
    if (!waitUntil([&] { return shown; })) return QStringLiteral("(not shown)");
    const SvgPreviewView* preview = qobject_cast<LoadedView*>(view.face())->preview();
    EXPECT_FALSE(preview->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    QString html;
    preview->page()->toHtml([&html](const QString& text) { html = text; });
    waitUntil([&] { return !html.isEmpty(); });
    return html;
}

TEST(SvgPreviewViewTest, ShowsTheExampleInsideThePreviewPage) {
    const QString html = shownPage(std::get<std::shared_ptr<const LoadedDocument>>(readAndConvert(examplePath("coaster"))));
    EXPECT_TRUE(html.contains(QStringLiteral("repeating-conic-gradient(#f3f3f3 0% 25%, #fff 0% 50%)"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<image "))) << html.toStdString();
}

// Photographs for engraving make pages larger than a data: URL may be.
TEST(SvgPreviewViewTest, ShowsAPageTooLargeToGoInline) {
    CanvasConversion large = conversion(0, "");
    large.svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 10 10\"><rect id=\"mark\" width=\"5\" "
                "height=\"5\"/><desc>" + std::string(3'000'000, 'a') + "</desc></svg>";
    const QString html = shownPage(document({large}));
    EXPECT_TRUE(html.contains(QStringLiteral("repeating-conic-gradient"))) << html.left(400).toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("id=\"mark\""))) << html.left(400).toStdString();
}

}  // namespace
}  // namespace kerfwright::app
