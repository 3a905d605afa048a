// Every text the window shows is whole where a person sees it, or cut with
// "…" and given whole in its tool tip: on each face, at the smallest size the
// window allows, at the size it opens at and at two sizes a person picks,
// with the sidebar scrolling or not. ctest runs this program on a 1280×800
// screen twice: at the screen's own scale and at twice it (QT_SCALE_FACTOR=2),
// where the window must still open inside the screen.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextDocument>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "elided_text.h"
#include "loaded_view.h"
#include "main_window.h"
#include "project.h"
#include "support/run_command.h"
#include "svg_preview_view.h"

namespace kerfwright::app {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

constexpr int kFar = 1 << 20;  // room without limit, for a text's natural size

std::string utf8(const QString& text) { return text.toStdString(); }

std::string sizeText(QSize size) { return std::to_string(size.width()) + "×" + std::to_string(size.height()); }

std::string rectText(const QRect& rect) {
    return sizeText(rect.size()) + " at " + std::to_string(rect.x()) + "," + std::to_string(rect.y());
}

// A project that crowds the sidebar: canvases with long names and "&", laser
// settings for every layer, a material and a machine, a size and a count of
// many digits, and warnings that name an image with a long unbroken name.
lacgen::ProjectSpec crowdedProject(int canvasCount) {
    const std::vector<std::string> names = {
        "&", "A canvas name far too long for any segment of the picker", "R&D <b>bold</b>", "Lid",
        "Front & back panel of the big box, engraved on both of its sides", "Base"};
    lacgen::ProjectSpec project;
    for (int i = 0; i < canvasCount; ++i) {
        lacgen::CanvasSpec canvas;
        canvas.index = i;
        canvas.name = names.at(static_cast<std::size_t>(i));
        canvas.objects = {
            lacgen::pathObject(1, "Outline", "M -1234.5 0 L 98765.4 43210.9", false),
            lacgen::pathObject(2, "Score", "M 0 0 L 10 10", false),
            lacgen::pathObject(3, "Fill", "M 0 0 L 10 0 L 10 10 Z", true),
            lacgen::rasterObject(4, "Photo", "a-photo-of-the-workshop-taken-on-the-first-morning-of-spring.png", 64, 64),
            lacgen::objectOfType(5, "Mystery", "SomethingNew"),
        };
        for (int copy = 0; copy < 12345; ++copy) canvas.components.push_back(lacgen::translate(2, copy, 0));
        for (std::int64_t id = 1; id <= 5; ++id) canvas.components.push_back(lacgen::translate(id, 0, 0));
        canvas.processTypes = {{1, "LaserLineCut"}, {2, "LaserLineEngrave"}, {3, "LaserFillEngrave"}, {4, "LaserImageEngrave"}};
        project.canvases.push_back(std::move(canvas));
    }
    using lacgen::JsonValue;
    const auto settings = [](double power) {
        return JsonValue::object({{"max_power", power}, {"speed", 123.5}, {"number_of_passes", 12}, {"air_assistant", true},
                                  {"scanning_interval", 0.125}});
    };
    project.extraEntries = {
        {"Metadata2D/material.config", JsonValue::object({{"name", "Baltic birch plywood, premium grade, sanded both sides"},
                                                          {"material_id", "BBP-3-PREMIUM"},
                                                          {"material_vendor", "Timber & Co"},
                                                          {"material_thickness", 3.175},
                                                          {"category", "Wood"}})
                                           .dump()},
        {"Metadata2D/process.config",
         JsonValue::object({{"LaserLineCut", settings(100)}, {"LaserLineEngrave", settings(35.5)},
                            {"LaserFillEngrave", settings(40)}, {"LaserImageEngrave", settings(12.25)}})
             .dump()},
        {"Metadata2D/Workshop Diode 20W with the extended bed.config",
         JsonValue::object({{"work_area_width", 400}, {"work_area_height", 400}}).dump()},
    };
    return project;
}

bool isScrollingViewport(const QWidget& widget) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(widget.parentWidget());
    return area && area->viewport() == &widget;
}

// Where an ancestor hides part of the widget. A scroll area's viewport hides
// nothing up or down, since a person scrolls there: what it shows of the
// widget is then held to the ancestors above it.
std::string clippedByAncestor(const QWidget& widget) {
    QRect placed = widget.rect();
    for (const QWidget* below = &widget; !below->isWindow(); below = below->parentWidget()) {
        const QWidget& ancestor = *below->parentWidget();
        placed.translate(below->pos());
        QRect room = ancestor.rect();
        const bool scrolls = isScrollingViewport(ancestor);
        if (scrolls) room.setCoords(room.left(), placed.top(), room.right(), placed.bottom());
        if (!room.contains(placed)) {
            return "lies at " + rectText(placed) + " outside its " + ancestor.metaObject()->className() + " of " +
                   sizeText(room.size());
        }
        if (scrolls) placed = placed.intersected(ancestor.rect());
        if (placed.isEmpty()) return {};  // scrolled out of sight, to be scrolled to
    }
    return {};
}

QSize naturalTextSize(const QFontMetrics& metrics, const QString& text, int wrapWidth) {
    const int flags = wrapWidth == kFar ? 0 : Qt::TextWordWrap;
    return metrics.boundingRect(QRect(0, 0, wrapWidth, kFar), flags, text).size();
}

// The room a label's text needs, laid out as the label lays it out.
QSize neededBy(const QLabel& label) {
    if (!label.pixmap().isNull()) return label.pixmap().deviceIndependentSize().toSize();
    const int wrapWidth = label.wordWrap() ? label.contentsRect().width() : kFar;
    if (label.textFormat() == Qt::RichText) {
        QTextDocument document;
        document.setDefaultFont(label.font());
        document.setDocumentMargin(0);
        document.setHtml(label.text());
        if (label.wordWrap()) document.setTextWidth(wrapWidth);
        return QSizeF(document.idealWidth(), document.size().height()).toSize();
    }
    return naturalTextSize(label.fontMetrics(), label.text(), wrapWidth);
}

std::string labelFault(const QLabel& label) {
    const QSize needed = neededBy(label);
    const QRect room = label.contentsRect();
    if (needed.width() > room.width() || needed.height() > room.height()) {
        return "needs " + sizeText(needed) + " but has " + sizeText(room.size());
    }
    return {};
}

QString withoutMnemonics(QString text) { return text.replace(QStringLiteral("&&"), QStringLiteral("&")); }

std::string buttonFault(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    const bool isCheckBox = qobject_cast<const QCheckBox*>(&button) != nullptr;
    const QRect room = button.style()->subElementRect(isCheckBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                                                      &option, &button);
    const QFontMetrics metrics = button.fontMetrics();
    const int iconWidth = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
    const QSize needed(metrics.horizontalAdvance(withoutMnemonics(button.text())) + iconWidth, metrics.height());
    if (needed.width() > room.width() || needed.height() > room.height()) {
        return "needs " + sizeText(needed) + " but has " + sizeText(room.size());
    }
    return {};
}

std::string menuFault(const QComboBox& menu) {
    QStyleOptionComboBox option;
    option.initFrom(&menu);
    option.frame = menu.hasFrame();
    const QRect field = menu.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &menu);
    const auto* elided = qobject_cast<const ElidedComboBox*>(&menu);
    const QString shown = elided ? elided->shownText() : menu.currentText();
    const int needed = menu.fontMetrics().horizontalAdvance(shown) + 2;
    if (needed > field.width()) return "needs " + std::to_string(needed) + " across but has " + std::to_string(field.width());
    if (shown != menu.currentText() && menu.toolTip() != menu.currentText()) return "is cut without its whole label as a tip";
    return {};
}

// A text shown cut must end in "…" and give the whole text as its tip.
std::string cutFault(const QString& shown, const QString& whole, const QString& tip) {
    if (shown == whole) return {};
    if (!shown.endsWith(QChar(0x2026))) return "is cut without \"…\"";
    if (tip != whole) return "is cut without its whole text as a tip";
    return {};
}

// A text that fits its room whole is shown whole, its lines as they are.
std::string brokenFault(const ElidedLabel& label) {
    const bool fits = naturalTextSize(label.fontMetrics(), label.fullText(), kFar).width() <= label.contentsRect().width();
    return fits && label.text() != label.fullText() ? "is broken into lines though it fits whole" : "";
}

std::string widgetFault(const QWidget& widget) {
    if (const auto* elided = qobject_cast<const ElidedLabel*>(&widget)) {
        if (std::string fault = brokenFault(*elided); !fault.empty()) return fault;
        if (std::string fault = elided->isCut() ? cutFault(elided->text(), elided->fullText(), elided->toolTip()) : "";
            !fault.empty()) {
            return fault;
        }
    }
    if (const auto* elided = qobject_cast<const ElidedButton*>(&widget)) {
        const QString shown = withoutMnemonics(elided->text());
        if (std::string fault = cutFault(shown, elided->fullText(), elided->toolTip()); !fault.empty()) return fault;
    }
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) return labelFault(*label);
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return buttonFault(*button);
    if (const auto* menu = qobject_cast<const QComboBox*>(&widget)) return menuFault(*menu);
    return {};
}

std::string shownName(const QWidget& widget) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) text = button->text();
    if (const auto* menu = qobject_cast<const QComboBox*>(&widget)) text = menu->currentText();
    const QString name = widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className()) : widget.objectName();
    return utf8(name) + " \"" + utf8(text.left(40)) + "\"";
}

// Every text, picture, button and menu of the window that a person cannot see whole.
std::vector<std::string> hiddenParts(const QWidget& window) {
    std::vector<std::string> faults;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->size().isEmpty()) continue;
        if (!qobject_cast<const QLabel*>(widget) && !qobject_cast<const QAbstractButton*>(widget) &&
            !qobject_cast<const QComboBox*>(widget)) {
            continue;
        }
        bool inPreview = false;
        for (const QWidget* above = widget; above && !inPreview; above = above->parentWidget()) {
            inPreview = qobject_cast<const SvgPreviewView*>(above) != nullptr;
        }
        if (inPreview) continue;
        std::string fault = clippedByAncestor(*widget);
        if (fault.empty()) fault = widgetFault(*widget);
        if (!fault.empty()) faults.push_back(shownName(*widget) + " " + fault);
    }
    return faults;
}

void settle() {
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        // A running event loop deletes what a step let go of, such as the
        // details of the drawing shown before; here nothing else would.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QRect screenRoom(const QWidget& window) { return window.screen()->availableGeometry(); }

class WindowLayout : public ::testing::Test {
protected:
    WindowLayout() {
        window_.show();
        settle();
        firstSize_ = window_.size();
    }

    ~WindowLayout() override { fs::remove_all(folder_); }

    // The sizes a face is checked at: the smallest the window allows, the one
    // it opens at, a person's usual one, and a small one.
    void expectEverythingSeenOn(const std::string& face) {
        window_.resize(1, 1);
        settle();
        const QSize smallest = window_.size();
        for (const QSize size : {smallest, firstSize_, QSize(1000, 680), QSize(720, 480)}) {
            window_.resize(size);
            settle();
            for (const std::string& fault : hiddenParts(window_)) {
                ADD_FAILURE() << face << " at " << sizeText(window_.size()) << ": " << fault;
            }
        }
        EXPECT_TRUE(screenRoom(window_).size().boundedTo(smallest) == smallest)
            << face << ": the smallest window, " << sizeText(smallest) << ", does not fit the screen's "
            << sizeText(screenRoom(window_).size());
    }

    void open(const fs::path& file) {
        window_.state().load(file);
        ASSERT_TRUE(waitUntil([this] { return !std::holds_alternative<LoadingPhase>(window_.state().phase()); }));
        settle();
    }

    MainWindow window_;
    QSize firstSize_;
    const fs::path folder_ = kerfwright::testing::makeTemporaryFolder();
};

// 1000×680 at first and 720×480 at least, each made smaller on a screen that
// would not hold it with room for a frame.
TEST_F(WindowLayout, OpensInsideTheScreen) {
    const QSize room = (QSizeF(screenRoom(window_).size()) * 0.9).toSize();
    EXPECT_EQ(sizeText(firstSize_), sizeText(QSize(1000, 680).boundedTo(room)));
    window_.resize(1, 1);
    settle();
    EXPECT_EQ(sizeText(window_.size()), sizeText(QSize(720, 480).boundedTo(room)));
}

TEST_F(WindowLayout, TheEmptyAndTheErrorFacesShowEverything) {
    expectEverythingSeenOn("the empty face");
    const fs::path notAProject = folder_ / "a file whose name is far longer than any window is wide, and which is no project at all.lac";
    std::ofstream(notAProject) << "text\n";
    open(notAProject);
    ASSERT_TRUE(std::holds_alternative<ErrorPhase>(window_.state().phase()));
    expectEverythingSeenOn("the error face");
}

TEST_F(WindowLayout, ACrowdedProjectShowsEveryCountSizeAndLabel) {
    for (const int canvases : {4, 6}) {
        const fs::path project = folder_ / ("R&D <b>bold<i> crowded with " + std::to_string(canvases) +
                                            " canvases and a name long enough for three lines.lac");
        crowdedProject(canvases).archive().writeTo(project.string());
        open(project);
        ASSERT_TRUE(std::holds_alternative<LoadedPhase>(window_.state().phase()));
        expectEverythingSeenOn(std::to_string(canvases) + " canvases");
        emit window_.state().saveFailed(QString::fromStdString(
            "Failed to save: Could not write \"" + (folder_ / "a-folder-name-without-any-blank-in-it-at-all" / "box.svg").string() +
            "\": No such file or directory"));
        expectEverythingSeenOn(std::to_string(canvases) + " canvases after a failed save");
    }
}

// Another drawing takes a moment to draw: the bar says so until it is shown.
TEST_F(WindowLayout, ThePreviewSaysWhileItIsBeingDrawn) {
    const fs::path project = folder_ / "six.lac";
    crowdedProject(6).archive().writeTo(project.string());
    open(project);
    auto* document = window_.findChild<LoadedView*>();
    ASSERT_NE(document, nullptr);
    const QWidget* busy = document->findChild<QWidget*>(QStringLiteral("previewBusy"));
    ASSERT_NE(busy, nullptr);
    ASSERT_TRUE(waitUntil([&] { return document->preview()->isShowingPlacement(); }));
    EXPECT_FALSE(busy->isVisible());
    auto* picker = document->findChild<QComboBox*>(QStringLiteral("conversionPicker"));
    ASSERT_NE(picker, nullptr);
    picker->setCurrentIndex(3);
    emit picker->activated(3);
    settle();
    EXPECT_TRUE(busy->isVisible());
    for (const std::string& fault : hiddenParts(window_)) ADD_FAILURE() << "while drawing: " << fault;
    EXPECT_TRUE(waitUntil([&] { return document->preview()->isShowingPlacement(); }));
    EXPECT_FALSE(busy->isVisible());
}

}  // namespace
}  // namespace kerfwright::app
