#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>

#include <clocale>
#include <stdlib.h>

#include "app_test_support.h"
#include "content_view.h"
#include "empty_state_view.h"
#include "error_view.h"
#include "loaded_view.h"
#include "svg_preview_view.h"
#include "support/run_command.h"

namespace kerfwright::app {
namespace {

using namespace testing;
namespace fs = std::filesystem;

template <class Widget>
QStringList childTexts(const QWidget& parent) {
    QStringList result;
    for (const Widget* child : parent.findChildren<Widget*>()) result << child->text();
    return result;
}

QString labelText(const QWidget& parent, const char* objectName) {
    const auto* label = parent.findChild<QLabel*>(QString::fromLatin1(objectName));
    return label ? label->text() : QStringLiteral("(none)");
}

QPushButton* buttonNamed(const QWidget& parent, const QString& text) {
    for (QPushButton* button : parent.findChildren<QPushButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

class ContentViewTest : public ::testing::Test {
protected:
    void show(std::shared_ptr<const LoadedDocument> loaded) { state_.setPhase(LoadedPhase{std::move(loaded)}); }

    AnsweringDialogs dialogs_;
    AppState state_{dialogs_};
    ContentView view_{state_};
};

TEST_F(ContentViewTest, ShowsOneFacePerPhase) {
    EXPECT_NE(qobject_cast<EmptyStateView*>(view_.face()), nullptr);
    EXPECT_NE(buttonNamed(*view_.face(), QStringLiteral("Choose .lac File\u2026")), nullptr);

    state_.setPhase(LoadingPhase{"/projects/box.lac"});
    EXPECT_EQ(labelText(*view_.face(), "loadingText"), QStringLiteral("Reading box.lac\u2026"));

    state_.setPhase(ErrorPhase{"Failed to read box.lac: Missing required entry in .lac archive: 2D/2dmodel.json"});
    ASSERT_NE(qobject_cast<ErrorView*>(view_.face()), nullptr);
    EXPECT_EQ(labelText(*view_.face(), "errorMessage"),
              QStringLiteral("Failed to read box.lac: Missing required entry in .lac archive: 2D/2dmodel.json"));
    EXPECT_TRUE(childTexts<QLabel>(*view_.face()).contains(QStringLiteral("Couldn't read that file")));
    buttonNamed(*view_.face(), QStringLiteral("Try Another File"))->click();
    EXPECT_TRUE(std::holds_alternative<EmptyPhase>(state_.phase()));
    EXPECT_NE(qobject_cast<EmptyStateView*>(view_.face()), nullptr);
}

TEST_F(ContentViewTest, PickerKindLabelsAndHeadingFollowTheConversions) {
    const struct {
        std::vector<CanvasConversion> conversions;
        const char* pickerClass;  // nullptr: no picker
        QString heading;
        QStringList labels;
    } cases[] = {
        {{conversion(0, "Front")}, nullptr, QStringLiteral("(none)"), {}},
        {{conversion(0, "M", 1, 4), conversion(0, "M", 2, 4), conversion(0, "M", 3, 4), conversion(0, "M", 4, 4)},
         "QWidget", QStringLiteral("Plates (4)"),
         {QStringLiteral("Plate 1"), QStringLiteral("Plate 2"), QStringLiteral("Plate 3"), QStringLiteral("Plate 4")}},
        {{conversion(0, "A/B", 1, 2), conversion(0, "A/B", 2, 2), conversion(1, ""), conversion(2, "C"),
          conversion(3, "D")},
         "QComboBox", QStringLiteral("Canvases (4) / Plates (5)"),
         {QStringLiteral("A/B / Plate 1"), QStringLiteral("A/B / Plate 2"), QStringLiteral("Canvas 1"),
          QStringLiteral("C"), QStringLiteral("D")}},
    };
    for (const auto& c : cases) {
        show(document(c.conversions));
        const QWidget& face = *view_.face();
        EXPECT_EQ(labelText(face, "pickerHeading"), c.heading);
        const QWidget* picker = face.findChild<QWidget*>(QStringLiteral("conversionPicker"));
        const QString saveAll = QStringLiteral("Save All %1\u2026").arg(c.conversions.size());
        if (!c.pickerClass) {
            EXPECT_EQ(picker, nullptr);
            EXPECT_EQ(buttonNamed(face, saveAll), nullptr);
            continue;
        }
        ASSERT_NE(picker, nullptr);
        EXPECT_STREQ(picker->metaObject()->className(), c.pickerClass);
        QStringList labels;
        if (const auto* menu = qobject_cast<const QComboBox*>(picker)) {
            for (int i = 0; i < menu->count(); ++i) labels << menu->itemText(i);
        } else {
            labels = childTexts<QPushButton>(*picker);
        }
        EXPECT_EQ(labels, c.labels);
        EXPECT_NE(buttonNamed(face, saveAll), nullptr);
    }
}

// A Qt application takes the user's locale; a comma-decimal one must not
// reach the measurements.
TEST_F(ContentViewTest, BoundsTextKeepsItsPointUnderACommaLocale) {
    const std::string localeFolder = std::string(KERFWRIGHT_BINARY_DIR) + "/locales";
    if (!fs::exists(localeFolder + "/de_DE.UTF-8")) {
        fs::create_directories(localeFolder);
        kerfwright::testing::runCommand({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", localeFolder + "/de_DE.UTF-8"});
    }
    setenv("LOCPATH", localeFolder.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    CanvasConversion wide = conversion(0, "");
    wide.bounds = BoundingBox{0, 0, 120.26, 80};
    show(document({wide}));
    const QString bounds = labelText(*view_.face(), "boundsText");
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(bounds, QStringLiteral("120.3 \u00d7 80.0 mm"));
}

TEST_F(ContentViewTest, LayerRowsShowColouredDotsNamesAndCounts) {
    CanvasConversion layered = conversion(0, "");
    layered.layerCounts = {{LayerKind::engraveImage, 2}, {LayerKind::cut, 7}, {LayerKind::score, 1},
                           {LayerKind::engraveLine, 0}};
    show(document({layered}));
    const auto* summary = view_.face()->findChild<QWidget*>(QStringLiteral("layerSummary"));
    ASSERT_NE(summary, nullptr);
    QStringList words;
    QList<QColor> dots;
    for (const QLabel* label : summary->findChildren<QLabel*>()) {
        if (label->pixmap().isNull()) {
            words << label->text();
        } else {
            const QImage dot = label->pixmap().toImage();
            dots << dot.pixelColor(dot.width() / 2, dot.height() / 2);
        }
    }
    EXPECT_EQ(words, (QStringList{QStringLiteral("Layers"), QStringLiteral("Cut"), QStringLiteral("7"),
                                  QStringLiteral("Score"), QStringLiteral("1"), QStringLiteral("Engrave-Image"),
                                  QStringLiteral("2")}));
    EXPECT_EQ(dots, (QList<QColor>{QColor(255, 0, 0), QColor(0, 0, 255), QColor(128, 128, 128)}));
}

TEST_F(ContentViewTest, WarningsAreListedOnlyWhenThereAreSome) {
    CanvasConversion warned = conversion(0, "");
    warned.warnings = {"Unknown object type Text for obj_id=4", "Bad transform for obj_id=9"};
    show(document({conversion(1, ""), warned}));
    EXPECT_EQ(view_.face()->findChild<QWidget*>(QStringLiteral("warningsBlock")), nullptr);

    qobject_cast<QPushButton*>(buttonNamed(*view_.face(), QStringLiteral("Canvas 0")))->click();
    const auto* block = view_.face()->findChild<QWidget*>(QStringLiteral("warningsBlock"));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(childTexts<QLabel>(*block),
              (QStringList{QString(), QStringLiteral("Warnings"),
                           QStringLiteral("\u2022 Unknown object type Text for obj_id=4"),
                           QStringLiteral("\u2022 Bad transform for obj_id=9")}));
}

TEST_F(ContentViewTest, DocumentWithoutDrawingsShowsNoContent) {
    show(document({}));
    const QWidget& face = *view_.face();
    EXPECT_TRUE(childTexts<QLabel>(face).contains(QStringLiteral("box.lac")));
    EXPECT_TRUE(childTexts<QLabel>(face).contains(QStringLiteral("No content")));
    EXPECT_EQ(qobject_cast<const LoadedView*>(&face)->preview(), nullptr);
    buttonNamed(face, QStringLiteral("Save SVG + Settings\u2026"))->click();
    EXPECT_TRUE(dialogs_.proposedSvgPaths.empty());
    EXPECT_NE(buttonNamed(face, QStringLiteral("Open Another\u2026")), nullptr);
}

TEST_F(ContentViewTest, SelectionFollowsThePickerAndResetsForANewDocument) {
    const auto plates = document({conversion(3, "", 1, 2), conversion(3, "", 2, 2)});
    show(plates);
    EXPECT_EQ(view_.selection(), (ConversionSummary::ConversionId{3, 1}));
    buttonNamed(*view_.face(), QStringLiteral("Plate 2"))->click();
    EXPECT_EQ(view_.selection(), (ConversionSummary::ConversionId{3, 2}));
    buttonNamed(*view_.face(), QStringLiteral("Save SVG + Settings\u2026"))->click();
    ASSERT_EQ(dialogs_.proposedSvgPaths.size(), 1u);
    EXPECT_EQ(dialogs_.proposedSvgPaths[0], fs::path("/projects/box.plate-2.svg"));

    state_.setPhase(LoadingPhase{"/projects/other.lac"});
    show(document({conversion(7, "X"), conversion(8, "Y")}, "/projects/other.lac"));
    EXPECT_EQ(view_.selection(), (ConversionSummary::ConversionId{7, 1}));
}

TEST_F(ContentViewTest, DropsLoadTheFirstLocalFile) {
    QMimeData three;
    three.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/first.lac")),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/second.lac")), QUrl(QStringLiteral("https://x/y.lac"))});
    EXPECT_EQ(firstDroppedFile(three), fs::path("/tmp/first.lac"));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://x/y.lac"))});
    EXPECT_EQ(firstDroppedFile(remote), std::nullopt);
    QMimeData none;
    EXPECT_EQ(firstDroppedFile(none), std::nullopt);

    // A drag over the preview is the window's: the drop then loads the first file.
    show(document({conversion(0, "")}));
    view_.resize(900, 600);
    view_.show();
    SvgPreviewView* preview = qobject_cast<LoadedView*>(view_.face())->preview();
    ASSERT_NE(preview, nullptr);
    const QPoint middle = preview->rect().center();
    QWidget* underCursor = preview->childAt(middle) ? preview->childAt(middle) : preview;
    QDragEnterEvent enter(underCursor->mapFrom(preview, middle), Qt::CopyAction, &three, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(underCursor, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(middle), Qt::CopyAction, &three, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(underCursor, &drop);
    const auto* loading = std::get_if<LoadingPhase>(&state_.phase());
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->location, fs::path("/tmp/first.lac"));
}

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
