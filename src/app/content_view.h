#pragma once
// What a window shows: one face per phase of its state, rebuilt whenever
// the phase changes, and a drop target for files over all of it.

#include <QWidget>

#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "session/conversion_summary.h"

class QMimeData;
class QVBoxLayout;

namespace kerfwright::app {

class AppState;

// The local files of a drop, in order; anything else dropped is left out.
std::vector<std::filesystem::path> droppedFiles(const QMimeData& data);

class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(AppState& state, QWidget* parent = nullptr);

    QWidget* face() const { return face_; }

signals:
    // The current face is complete: for a document, once its preview page
    // has loaded.
    void faceShown();
    // Files dropped with the one this window loads, each for a window of its own.
    void otherFilesDropped(const std::vector<std::filesystem::path>& files);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showPhase();
    QWidget* faceForPhase();

    AppState& state_;
    std::size_t selection_ = 0;  // the position of the drawing shown
    std::set<LayerKind> hidden_;  // layers the preview leaves out
    QVBoxLayout* layout_ = nullptr;
    QWidget* face_ = nullptr;
};

}  // namespace kerfwright::app
