#pragma once
// The face of a window with a document: a sidebar with the document's
// drawings, the chosen drawing's layers, size and warnings and the save
// buttons, beside a live preview of that drawing.

#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>
#include <set>

#include "session/conversion_summary.h"
#include "session/document_description.h"
#include "session/save_outputs.h"
#include "svg_preview_view.h"

class QPushButton;
class QVBoxLayout;

namespace kerfwright::app {

class AppState;
class ElidedLabel;

class LoadedView : public QWidget {
    Q_OBJECT

public:
    // Shows the drawing at position `selection` (the first when there is
    // none there), with the layers `hidden` left out of the preview. Drawings
    // are chosen by position: two canvases may share an index.
    LoadedView(std::shared_ptr<const LoadedDocument> loaded, std::size_t selection, std::set<LayerKind> hidden,
               AppState& state, QWidget* parent = nullptr);

    // The preview, absent when the document has no drawing.
    SvgPreviewView* preview() const { return preview_; }

    // Says, over the document, that saving it failed and why, until dismissed.
    void showSaveFailure(const QString& message);
    // The layers the preview leaves out.
    const std::set<LayerKind>& hiddenLayers() const { return hidden_; }

signals:
    void selectionChanged(std::size_t selection);
    void hiddenLayersChanged(const std::set<kerfwright::LayerKind>& hidden);

private:
    std::optional<std::size_t> currentIndex() const;
    void select(std::size_t index);
    QWidget* sidebar();
    QWidget* profileChoice();
    QWidget* buttons();
    QPushButton* saveOneButton();
    QPushButton* saveAllButton();
    QWidget* details();
    void replaceDetails();
    void showLayer(LayerKind layer, bool shown);
    void showInPreview(std::size_t index, SvgPreviewView::Placement placement);
    QWidget* previewPane();
    QWidget* saveFailureBanner();
    QWidget* previewBusy();

    std::shared_ptr<const LoadedDocument> loaded_;
    DocumentDescription description_;  // what the sidebar shows
    std::size_t selection_ = 0;
    AppState& state_;
    QVBoxLayout* sidebarColumn_ = nullptr;
    QWidget* details_ = nullptr;
    SvgPreviewView* preview_ = nullptr;
    QWidget* saveFailure_ = nullptr;  // the banner, hidden until a save fails
    ElidedLabel* saveFailureText_ = nullptr;
    std::set<LayerKind> hidden_;  // layers the preview leaves out
};

}  // namespace kerfwright::app
