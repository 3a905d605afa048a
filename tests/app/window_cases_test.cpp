// A window used as a person uses it, one scripted case per file under
// cases/window/ (support/scripted_cases.h). Besides the shared set-up:
//
//   == answer open|save|folder [PATH]   how the dialogs answer from now on; no path: cancelled
//   == locale NAME       the process locale of the steps that follow, as a desktop session sets it
//   == open PATH         the window loads a file, as from the command line
//   == click TEXT        a button, a check box or a menu item with that text
//   == drop URL...       files dropped in the middle of the window; paths stand for local files
//   == wheel N at X Y    N wheel notches (negative: towards the user) at a point of the preview
//   == drag X Y to X Y   a drag with the left button across the preview
//   == key KEYS          a shortcut, such as Ctrl+0
//
// Each step is followed by "== asked" (the dialogs it opened) when it opened
// any, "== other windows" (dropped files sent to windows of their own), "== at once" (the face shown right after it) when it started a load,
// "== face" (the face once everything has settled), after a save dialog
// "== files", when it put text on the clipboard "== clipboard", and once the
// preview's drawing is zoomed or moved, "== drawing": where the engine shows
// it. A face is written one line per visible label, picture, button, check
// box or menu, in reading order; the button with the keyboard focus is marked
// "(focus)", one that cannot be pressed "(disabled)". After a save, "== status"
// gives what the window says it wrote.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWheelEvent>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <sstream>
#include <stdlib.h>

#include "app_test_support.h"
#include "content_view.h"
#include "elided_text.h"
#include "loaded_view.h"
#include "qt_text.h"
#include "support/run_command.h"
#include "support/scripted_cases.h"
#include "svg_preview_view.h"

namespace kerfwright::app {
namespace {

namespace fs = std::filesystem;
namespace cases = kerfwright::testing;
using cases::Section;
using cases::sectionText;
using testing::waitUntil;

constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 600;

std::string utf8(const QString& text) { return text.toStdString(); }

// What a button shows: a doubled "&" shows as one.
QString shownOnButton(const QAbstractButton& button) {
    return QString(button.text()).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// " (cut; the whole: TEXT)" for a text shown cut, with the whole text in its tip.
std::string cutNote(const QString& shown, const QString& whole) {
    return shown == whole ? "" : " (cut; the whole: " + utf8(whole) + ")";
}

// A widget not yet shown by its layout counts as visible; one hidden on purpose does not.
void describe(const QWidget& widget, std::string& out) {
    if (widget.isHidden() && widget.testAttribute(Qt::WA_WState_ExplicitShowHide)) return;
    const std::string name = widget.objectName().isEmpty() ? "" : utf8(widget.objectName()) + ": ";
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (!label->pixmap().isNull() && !name.empty()) {
            const QImage picture = label->pixmap().toImage();
            out += "picture " + name + utf8(picture.pixelColor(picture.width() / 2, picture.height() / 2).name()) + "\n";
        } else if (const auto* elided = qobject_cast<const ElidedLabel*>(label)) {
            // Lines broken to fit are the whole text; only a cut one is shown as cut.
            out += "label " + name + (elided->isCut() ? utf8(elided->text()) + cutNote(elided->text(), elided->fullText())
                                                       : utf8(elided->fullText())) + "\n";
        } else if (!label->text().isEmpty()) {
            out += "label " + name + utf8(label->text()) + "\n";
        }
    } else if (const auto* box = qobject_cast<const QCheckBox*>(&widget)) {
        out += "check " + name + utf8(box->text()) + (box->isChecked() ? " (on)" : " (off)") + "\n";
    } else if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const auto* elided = qobject_cast<const ElidedButton*>(button);
        out += "button " + name + utf8(shownOnButton(*button));
        if (elided) out += cutNote(shownOnButton(*button), elided->fullText());
        if (button->isChecked()) out += " (down)";
        if (!button->isEnabled()) out += " (disabled)";
        if (widget.window()->focusWidget() == button) out += " (focus)";
        out += "\n";
    } else if (const auto* menu = qobject_cast<const QComboBox*>(&widget)) {
        out += "menu " + name;
        for (int i = 0; i < menu->count(); ++i) {
            out += (i ? " | " : "") + utf8(menu->itemText(i)) + (i == menu->currentIndex() ? " (chosen)" : "");
        }
        if (const auto* elided = qobject_cast<const ElidedComboBox*>(menu)) {
            if (elided->shownText() != menu->currentText()) out += " (shown cut: " + utf8(elided->shownText()) + ")";
        }
        out += "\n";
    } else if (qobject_cast<const SvgPreviewView*>(&widget)) {
        out += "preview";
        for (const QWidget* above = widget.parentWidget(); above; above = above->parentWidget()) {
            if (const auto* document = qobject_cast<const LoadedView*>(above)) {
                for (const LayerKind layer : document->hiddenLayers()) out += " without " + std::string(rawValue(layer));
            }
        }
        out += "\n";
        return;
    }
    // In reading order: top to bottom, then left to right.
    std::vector<const QWidget*> children;
    for (const QObject* child : widget.children()) {
        if (const auto* childWidget = qobject_cast<const QWidget*>(child)) children.push_back(childWidget);
    }
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    for (const QWidget* child : children) describe(*child, out);
}

class WindowCase : public cases::ScriptedCase {
public:
    explicit WindowCase(std::string where) : ScriptedCase(std::move(where)) {
        QObject::connect(&state_, &AppState::phaseChanged, [this] { settled_ = false; });
        QObject::connect(&view_, &ContentView::faceShown, [this] { settled_ = true; });
        QObject::connect(&state_, &AppState::saved, [this](const QString& message) { status_ += utf8(message) + "\n"; });
        QObject::connect(&view_, &ContentView::otherFilesDropped, [this](const std::vector<fs::path>& files) {
            for (const fs::path& file : files) otherWindows_ += file.string() + "\n";
        });
        view_.resize(kWindowWidth, kWindowHeight);
        view_.show();
        waitUntil([this] { return settled_; });
    }

    ~WindowCase() override {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
    }

    bool isOutcome(const std::string& heading) const override {
        return heading == "asked" || heading == "other windows" || heading == "at once" || heading == "face" ||
               heading == "clipboard" || heading == "drawing" || heading == "status" || ScriptedCase::isOutcome(heading);
    }

protected:
    std::string step(const Section& section) override {
        const std::string& heading = section.heading;
        if (heading.starts_with("answer ")) {
            answer(heading.substr(7));
            return "";
        }
        if (heading.starts_with("locale ")) {
            useLocale(heading.substr(7));
            return "";
        }
        dialogs_.asked.clear();
        otherWindows_.clear();
        status_.clear();
        QGuiApplication::clipboard()->clear();
        if (heading.starts_with("open ")) state_.load(local(heading.substr(5)));
        else if (heading.starts_with("click ")) click(QString::fromStdString(local(heading.substr(6))));
        else if (heading.starts_with("drop ")) drop(heading.substr(5));
        else if (heading.starts_with("wheel ")) wheel(heading.substr(6));
        else if (heading.starts_with("drag ")) drag(heading.substr(5));
        else if (heading.starts_with("key ")) QTest::keySequence(&view_, QKeySequence(QString::fromStdString(heading.substr(4))));
        else ADD_FAILURE() << where_ << ": no such section: " << heading;

        std::string out = dialogs_.asked.empty() ? "" : sectionText("asked", general(dialogs_.asked));
        if (!otherWindows_.empty()) out += sectionText("other windows", general(otherWindows_));
        if (std::holds_alternative<LoadingPhase>(state_.phase())) out += sectionText("at once", faceText());
        EXPECT_TRUE(waitUntil([this] { return settled_ && !std::holds_alternative<LoadingPhase>(state_.phase()); }))
            << where_ << ": " << heading;
        // What the step replaced goes, and what it made is laid out and drawn.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        if (const SvgPreviewView* shown = preview()) {
            EXPECT_TRUE(waitUntil([shown] { return shown->isShowingPlacement(); })) << where_ << ": " << heading;
        }
        out += sectionText("face", faceText());
        if (!dialogs_.asked.empty() && !dialogs_.asked.starts_with("open")) {
            out += sectionText("files", filesText());
        }
        if (!status_.empty()) out += sectionText("status", general(status_));
        if (const QString copied = QGuiApplication::clipboard()->text(); !copied.isEmpty()) {
            out += sectionText("clipboard", general(utf8(copied)));
        }
        if (const SvgPreviewView* shown = preview(); shown && shown->placement()) out += sectionText("drawing", drawingText(*shown));
        return out;
    }

private:
    std::string faceText() const {
        const std::string className = view_.face()->metaObject()->className();
        std::string out = "face " + className.substr(className.rfind(':') + 1) + "\n";
        describe(*view_.face(), out);
        return general(out);
    }

    SvgPreviewView* preview() const {
        const auto* document = qobject_cast<const LoadedView*>(view_.face());
        return document ? document->preview() : nullptr;
    }

    // The drawing's box as the page lays it out, and its scale.
    std::string drawingText(const SvgPreviewView& shown) const {
        EXPECT_TRUE(waitUntil([&] { return shown.isShowingPlacement(); })) << where_;
        QVariantList box;
        shown.page()->runJavaScript(
            QStringLiteral("(() => { const drawing = document.querySelector('svg'), box = drawing.getBoundingClientRect();"
                           " return [box.left, box.top, box.width / drawing.width.baseVal.valueInSpecifiedUnits]; })()"),
            QWebEngineScript::ApplicationWorld, [&](const QVariant& result) { box = result.toList(); });
        EXPECT_TRUE(waitUntil([&] { return !box.isEmpty(); })) << where_;
        if (box.size() != 3) return "(no drawing)\n";
        return utf8(QStringLiteral("at %1, %2; 1 mm = %3 px\n")
                        .arg(box[0].toDouble(), 0, 'f', 1)
                        .arg(box[1].toDouble(), 0, 'f', 1)
                        .arg(box[2].toDouble(), 0, 'f', 3));
    }

    // Where the engine takes the pointer: the widget it draws the page in.
    QWidget* pointerTarget() const {
        SvgPreviewView* shown = preview();
        if (!shown) return nullptr;
        QWidget* drawn = shown->findChild<QWidget*>();
        return drawn ? drawn : shown;
    }

    void wheel(const std::string& words) {
        QWidget* target = pointerTarget();
        int notches = 0;
        double x = 0;
        double y = 0;
        std::string at;
        std::istringstream(words) >> notches >> at >> x >> y;
        if (!target) return (void)(ADD_FAILURE() << where_ << ": no preview to turn the wheel over");
        const QPointF point(x, y);
        QWheelEvent turned(point, target->mapToGlobal(point), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &turned);
    }

    void drag(const std::string& words) {
        QWidget* target = pointerTarget();
        QPoint from;
        QPoint to;
        std::string word;
        std::istringstream(words) >> from.rx() >> from.ry() >> word >> to.rx() >> to.ry();
        if (!target) return (void)(ADD_FAILURE() << where_ << ": no preview to drag");
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(target, (from + to) / 2);
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, to);
    }

    void answer(const std::string& words) {
        const std::size_t blank = words.find(' ');
        const std::optional<fs::path> path =
            blank == std::string::npos ? std::nullopt : std::optional<fs::path>(local(words.substr(blank + 1)));
        const std::string dialog = words.substr(0, blank);
        (dialog == "open" ? dialogs_.projectFile : dialog == "save" ? dialogs_.svgLocation : dialogs_.folder) = path;
    }

    void useLocale(const std::string& name) {
        const std::string folder = std::string(KERFWRIGHT_BINARY_DIR) + "/locales";
        if (!fs::exists(folder + "/" + name)) {
            fs::create_directories(folder);
            const std::string language = name.substr(0, name.find('.'));
            cases::runCommand({"/usr/bin/localedef", "-i", language, "-f", "UTF-8", folder + "/" + name});
        }
        setenv("LOCPATH", folder.c_str(), 1);
        EXPECT_NE(std::setlocale(LC_ALL, name.c_str()), nullptr) << where_ << ": " << name;
    }

    void click(const QString& text) {
        for (QAbstractButton* button : view_.face()->findChildren<QAbstractButton*>()) {
            if (shownOnButton(*button) == text || button->accessibleName() == text) return button->click();
        }
        for (QComboBox* menu : view_.face()->findChildren<QComboBox*>()) {
            if (const int index = menu->findText(text); index >= 0) {
                menu->setCurrentIndex(index);
                return emit menu->activated(index);
            }
        }
        ADD_FAILURE() << where_ << ": nothing to click named " << text.toStdString();
    }

    // Dropped where a person lets go: in the middle, over the preview when there is one.
    void drop(const std::string& words) {
        QList<QUrl> urls;
        std::istringstream each(words);
        for (std::string word; each >> word;) {
            urls << (word.starts_with("$") ? QUrl::fromLocalFile(qtPathText(local(word))) : QUrl(QString::fromStdString(word)));
        }
        QMimeData data;
        data.setUrls(urls);
        const QPoint middle = view_.rect().center();
        QWidget* target = view_.childAt(middle) ? view_.childAt(middle) : &view_;
        const QPoint there = target->mapFrom(&view_, middle);
        QDragEnterEvent enter(there, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted()) << where_ << ": the drop is refused over " << target->metaObject()->className();
        QDropEvent dropped(QPointF(there), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
    }

    testing::AnsweringDialogs dialogs_;
    AppState state_{dialogs_};
    ContentView view_{state_};
    bool settled_ = false;
    std::string status_;        // what the window said its saves wrote
    std::string otherWindows_;  // the files a step sent to windows of their own
};

class WindowCases : public ::testing::TestWithParam<std::string> {};

TEST_P(WindowCases, BehaveAsExpected) {
    cases::runScriptedCase("window", GetParam(), [](const std::string& where) { return std::make_unique<WindowCase>(where); });
}

INSTANTIATE_TEST_SUITE_P(File, WindowCases, ::testing::ValuesIn(cases::caseFileNames("window")),
                         [](const auto& file) { return cases::caseTestName(file.param); });

}  // namespace
}  // namespace kerfwright::app
