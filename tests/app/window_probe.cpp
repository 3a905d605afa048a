// Opens each project in one window, as a person would one after another, and
// prints, after a line for the face without a project, one JSON line per
// project: the fixed texts the window shows, by key, and what it shows of it (read off
// the visible widgets: the file name, the picker's heading and labels, and
// for every drawing, chosen in turn, its layer rows, size and warnings) and
// what saving it writes: Save All for two drawings or more, Save SVG +
// Settings for one, into FOLDER/<position>/, each file named in the order it
// was written, and where it fails, why and the texts shown then. The front
// ends' test compares this with the other front ends.
//
// Usage: window-probe [--profile NAME] [--hairline] FOLDER FILE...

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextDocument>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app_state.h"
#include "app_test_support.h"
#include "content_view.h"
#include "elided_text.h"
#include "error_view.h"
#include "loaded_view.h"
#include "svg_preview_view.h"
#include "text/json_text.h"

namespace fs = std::filesystem;
using namespace kerfwright;
using namespace kerfwright::app;

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

// JSON text that is already written.
std::string asIs(const std::string& json) { return json; }

// Every dialog says yes: the folder for Save All, and for one drawing the
// name proposed, in that folder.
struct AgreeingDialogs : FileDialogs {
    fs::path folder;

    std::optional<fs::path> chooseProjectFile() override { return std::nullopt; }
    std::optional<fs::path> chooseSvgLocation(const fs::path& proposedPath) override {
        return folder / proposedPath.filename();
    }
    std::optional<fs::path> chooseFolder(const std::string&, const std::string&, const fs::path&) override {
        return folder;
    }
};

template <class Widget = QWidget>
Widget* visibleChild(const QWidget& parent, const char* name) {
    for (Widget* child : parent.findChildren<Widget*>(QString::fromLatin1(name))) {
        if (child->isVisible()) return child;
    }
    return nullptr;
}

// A label's whole text, also where it is shown wrapped, or cut with a tool tip.
std::string wholeText(const QLabel& label) {
    const auto* elided = qobject_cast<const ElidedLabel*>(&label);
    return utf8(elided ? elided->fullText() : label.text());
}

std::optional<std::string> visibleText(const QWidget& parent, const char* name) {
    if (const QLabel* label = visibleChild<QLabel>(parent, name)) return wholeText(*label);
    return std::nullopt;
}

// The choices of the picker, in order.
std::vector<std::string> pickerLabels(const QWidget& view) {
    std::vector<std::string> labels;
    const QWidget* picker = visibleChild(view, "conversionPicker");
    if (const auto* menu = qobject_cast<const QComboBox*>(picker)) {
        for (int i = 0; i < menu->count(); ++i) labels.push_back(utf8(menu->itemText(i)));
    } else if (picker) {
        for (const ElidedButton* segment : picker->findChildren<ElidedButton*>()) labels.push_back(utf8(segment->fullText()));
    }
    return labels;
}

void choose(QWidget& view, int index) {
    QWidget* picker = visibleChild(view, "conversionPicker");
    if (auto* menu = qobject_cast<QComboBox*>(picker)) {
        menu->setCurrentIndex(index);
        emit menu->activated(index);
    } else if (picker) {
        picker->findChildren<QPushButton*>().at(index)->click();
    }
    // The details shown before go now, so that only the new ones are read.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::string layerRowJson(const QWidget& row) {
    const QImage dot = visibleChild<QLabel>(row, "layerDot")->pixmap().toImage();
    const std::optional<std::string> settings = visibleText(row, "layerSettings");
    return text::JsonObject()
        .text("name", utf8(visibleChild<QCheckBox>(row, "showLayer")->text()))
        .integer("count", std::stoll(visibleText(row, "layerCount").value_or("-1")))
        .text("colour", utf8(dot.pixelColor(dot.width() / 2, dot.height() / 2).name()))
        .optionalText("settings", settings)
        .done();
}

// The chosen drawing's details, as the sidebar shows them.
std::string drawingJson(const QWidget& view) {
    std::vector<std::string> rows;
    for (const QWidget* row : view.findChildren<QWidget*>(QStringLiteral("layerRow"))) {
        if (row->isVisible()) rows.push_back(layerRowJson(*row));
    }
    std::vector<std::string> warnings;
    for (const QLabel* warning : view.findChildren<QLabel*>(QStringLiteral("warning"))) {
        if (warning->isVisible()) warnings.push_back(wholeText(*warning));
    }
    return text::JsonObject()
        .optionalText("size", visibleText(view, "boundsText"))
        .raw("layers", text::jsonArray(rows, asIs))
        .raw("warnings", text::jsonArray(warnings, text::jsonString))
        .done();
}

// The core's fixed texts the face shows, by key, as a person reads them:
// marked-up text as plain text, line breaks as line ends; tool tips too.
std::string textsJson(const QWidget& face) {
    text::JsonObject json;
    QSet<QString> written;
    for (const QWidget* widget : face.findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        if (const QString key = widget->property("textKey").toString(); !key.isEmpty() && !written.contains(key)) {
            written.insert(key);
            QString shown;
            if (const auto* label = qobject_cast<const QLabel*>(widget)) {
                QTextDocument document;
                document.setHtml(label->text());
                shown = label->textFormat() == Qt::PlainText ? label->text() : document.toPlainText();
            } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
                shown = button->text();
            }
            json.text(utf8(key), utf8(shown.replace(QChar::LineSeparator, QLatin1Char('\n'))));
        }
        if (const QString key = widget->property("tipKey").toString(); !key.isEmpty() && !written.contains(key)) {
            written.insert(key);
            json.text(utf8(key), utf8(widget->toolTip()));
        }
    }
    return json.done();
}

class Probe {
public:
    Probe(const OutputProfile& profile)
        : state_(dialogs_, readAndConvert, [this](const fs::path& path, std::string_view bytes) {
              auto failure = writeTextAtomically(path, bytes);
              if (!failure) saved_.push_back(path.filename().string());
              return failure;
          }) {
        state_.setProfile(profile);
        QObject::connect(&state_, &AppState::saveFailed, [this](const QString& message) { saveFailure_ = utf8(message); });
        view_.resize(1000, 700);
        view_.show();
    }

    // What the window shows before any project is opened.
    std::string emptyFace() const { return text::JsonObject().raw("texts", textsJson(*view_.face())).done(); }

    std::string shown(const fs::path& input, const fs::path& folder) {
        fs::create_directories(folder);
        dialogs_.folder = folder;
        saved_.clear();
        state_.load(input);
        settle();
        text::JsonObject json;
        json.text("input", input.string()).raw("texts", textsJson(*view_.face()));
        if (const auto* error = std::get_if<ErrorPhase>(&state_.phase())) return json.text("failure", error->message).done();
        QWidget& view = *view_.face();
        const std::vector<std::string> labels = pickerLabels(view);
        std::vector<std::string> drawings;
        const std::size_t count = std::get<LoadedPhase>(state_.phase()).loaded->conversions.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) choose(view, static_cast<int>(i));
            drawings.push_back(drawingJson(view));
        }
        json.optionalText("file", visibleText(view, "fileName"))
            .optionalText("pickerHeading", visibleText(view, "pickerHeading"))
            .raw("labels", text::jsonArray(labels, text::jsonString))
            .optionalText("saveAllTitle", buttonText(view, "saveAll"))
            .optionalText("materialAndMachine", visibleText(view, "materialAndMachine"))
            .boolean("settingsRecorded", buttonText(view, "copySettings").has_value())
            .raw("drawings", text::jsonArray(drawings, asIs));
        saveFailure_.reset();
        save(view, count);
        json.raw("saved", text::jsonArray(saved_, text::jsonString)).optionalText("saveFailure", saveFailure_);
        // A failed save is told over the document, in a message of its own.
        if (saveFailure_) json.raw("textsAfterSave", textsJson(view));
        return json.done();
    }

private:
    static std::optional<std::string> buttonText(const QWidget& view, const char* name) {
        if (const QPushButton* button = visibleChild<QPushButton>(view, name)) return utf8(button->text());
        return std::nullopt;
    }

    // The sidebar is complete once the face for the outcome is up; the
    // preview beside it is not waited for, as it shows nothing the other
    // front ends are compared on.
    void settle() {
        const auto faceUp = [this] {
            if (std::holds_alternative<LoadedPhase>(state_.phase())) return qobject_cast<LoadedView*>(view_.face()) != nullptr;
            return std::holds_alternative<ErrorPhase>(state_.phase()) && qobject_cast<ErrorView*>(view_.face()) != nullptr;
        };
        if (!testing::waitUntil(faceUp)) {
            std::cerr << "the window did not settle\n";
            std::exit(1);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    void save(QWidget& view, std::size_t count) {
        if (count == 0) return;
        visibleChild<QPushButton>(view, count >= 2 ? "saveAll" : "saveOne")->click();
        QCoreApplication::processEvents();
    }

    AgreeingDialogs dialogs_;
    std::vector<std::string> saved_;  // file names, in the order written
    std::optional<std::string> saveFailure_;  // what the window said of a save that failed
    AppState state_;
    ContentView view_{state_};
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareWebEngineBeforeApplication();
    QApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    OutputProfile profile;
    std::size_t at = 0;
    for (; at < arguments.size() && arguments[at].starts_with("--"); ++at) {
        if (arguments[at] == "--hairline") profile.hairline = true;
        if (arguments[at] == "--profile") profile.name = profileNameFromText(arguments[++at]).value_or(ProfileName::standard);
    }
    if (at >= arguments.size()) {
        std::cerr << "Usage: window-probe [--profile NAME] [--hairline] FOLDER FILE...\n";
        return 2;
    }
    const fs::path folder = arguments[at++];
    Probe probe(profile);
    std::cout << probe.emptyFace() << std::endl;
    for (std::size_t position = 0; at < arguments.size(); ++at, ++position) {
        std::cout << probe.shown(arguments[at], folder / std::to_string(position)) << std::endl;
    }
    return 0;
}
