#include "content_view.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

#include "app_state.h"
#include "empty_state_view.h"
#include "error_view.h"
#include "loaded_view.h"
#include "qt_text.h"
#include "svg_preview_view.h"

namespace kerfwright::app {
namespace {

constexpr int kProgressWidth = 240;

QWidget* loadingFace(const std::filesystem::path& location) {
    auto* progress = new QProgressBar;
    progress->setRange(0, 0);  // indeterminate
    progress->setTextVisible(false);
    progress->setFixedWidth(kProgressWidth);
    auto* text = new QLabel(qtText(ConversionSummary::loadingText(location)));
    text->setObjectName(QStringLiteral("loadingText"));
    text->setTextFormat(Qt::PlainText);

    auto* face = new QWidget;
    auto* column = new QVBoxLayout(face);
    column->addStretch();
    column->addWidget(progress, 0, Qt::AlignHCenter);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch();
    return face;
}

}  // namespace

std::vector<std::filesystem::path> droppedFiles(const QMimeData& data) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) files.push_back(filePath(url.toLocalFile()));
    }
    return files;
}

ContentView::ContentView(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setAcceptDrops(true);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    connect(&state_, &AppState::phaseChanged, this, &ContentView::showPhase);
    connect(&state_, &AppState::saveFailed, this, [this](const QString& message) {
        if (auto* document = qobject_cast<LoadedView*>(face_)) document->showSaveFailure(message);
    });
    showPhase();
}

void ContentView::showPhase() {
    QWidget* replacement = faceForPhase();
    if (face_) {
        // The layout hands back the old face's item, which is ours to delete.
        delete layout_->replaceWidget(face_, replacement);
        // The old face may be the sender of the click that changed the phase.
        face_->deleteLater();
    } else {
        layout_->addWidget(replacement);
    }
    face_ = replacement;
    // Each face hands the focus to its main action.
    face_->setFocus();
    auto* document = qobject_cast<LoadedView*>(face_);
    if (document && document->preview()) {
        connect(document->preview(), &SvgPreviewView::loadFinished, this, &ContentView::faceShown);
    } else {
        // Once the face is laid out; not for a face replaced in the meantime.
        QTimer::singleShot(0, face_, [this, shownFace = face_] {
            if (face_ == shownFace) emit faceShown();
        });
    }
}

QWidget* ContentView::faceForPhase() {
    const Phase& phase = state_.phase();
    if (const auto* loading = std::get_if<LoadingPhase>(&phase)) return loadingFace(loading->location);
    if (const auto* error = std::get_if<ErrorPhase>(&phase)) return new ErrorView(error->message, state_);
    if (const auto* loaded = std::get_if<LoadedPhase>(&phase)) {
        // A document coming into view starts at its first drawing with every
        // layer shown, even when it is the same file opened again; the same
        // document converted with another profile keeps what was chosen.
        if (!loaded->convertedAgain) {
            hidden_.clear();
            selection_ = 0;
        }
        auto* view = new LoadedView(loaded->loaded, selection_, hidden_, state_);
        connect(view, &LoadedView::selectionChanged, this,
                [this](std::size_t chosen) { selection_ = chosen; });
        connect(view, &LoadedView::hiddenLayersChanged, this,
                [this](const std::set<LayerKind>& hidden) { hidden_ = hidden; });
        return view;
    }
    return new EmptyStateView(state_);
}

void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ContentView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// Any file is taken: one that is not a project ends in the error face with
// the reader's message. Of several files, this window loads the first and
// each other one gets a window of its own.
void ContentView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    std::vector<std::filesystem::path> files = droppedFiles(*event->mimeData());
    if (files.empty()) return;
    state_.load(files.front());
    files.erase(files.begin());
    if (!files.empty()) emit otherFilesDropped(files);
}

}  // namespace kerfwright::app
