#pragma once
// The live preview of one drawing: its SVG text inside the fixed preview
// page, rendered by an embedded web engine that runs none of the page's
// script and fetches nothing. The wheel zooms around the pointer and a drag
// pans; the window moves the drawing from the engine's isolated world, which
// the page cannot see.

#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

class QMouseEvent;
class QWheelEvent;

#include <memory>
#include <optional>
#include <string_view>

namespace kerfwright::app {

// Must run before the QApplication exists. The engine shares OpenGL contexts
// with the widgets, and refuses to start with its sandbox when the process
// runs as root (as in containers and CI), so only then the sandbox is off.
void prepareWebEngineBeforeApplication();

// The page is self-contained: embedded images arrive as data: URLs, and the
// page itself is one, or for a page too large for a data: URL, one served
// from memory under the preview's own scheme. Anything else would reach out
// of it.
bool isAllowedPreviewRequest(const QUrl& url);

class PreviewRequestGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

class SvgPreviewView : public QWebEngineView {
    Q_OBJECT

public:
    explicit SvgPreviewView(QWidget* parent = nullptr);

    ~SvgPreviewView() override;

    enum class Placement { reset, keep };

    // Replaces the whole page with the one around `svg`, a drawing of
    // `millimeters`. Another version of the same drawing may keep its zoom.
    void showSvg(std::string_view svg, QSizeF millimeters, Placement placement);

    void fit();
    // 1 mm of the drawing as 1 mm on this screen.
    void showActualSize();
    // One wheel step in or out, around the middle of the view.
    void zoomIn();
    void zoomOut();

    // Where the drawing is shown, once zoomed or panned.
    const std::optional<QRectF>& placement() const { return placement_; }
    // The page has loaded and shows the drawing where it is placed, for the
    // view's present size.
    bool isShowingPlacement() const { return pageReady_ && placed_ && placedInSize_ == size(); }

signals:
    // False when a drawing is asked for, true once the engine shows it.
    void drawn(bool done);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Files dropped on the preview are for the window, not for the page.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void place(const QRectF& placement);
    void applyPlacement();
    QRectF currentPlacement() const;
    void zoomAround(QPointF anchor, double factor);
    double screenPixelsPerMillimeter() const;
    bool zoomAtWheel(const QWheelEvent& wheel);
    bool pan(const QMouseEvent& mouse);

    QUrl largePageUrl_;
    QSizeF millimeters_;
    std::optional<QRectF> placement_;  // none: where it is first placed
    bool pageReady_ = false;
    bool placed_ = false;
    QSize placedInSize_;  // the view's size when the page last placed the drawing
    // Gone when the view begins to go, before the page that calls back.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    quint64 drawingsAsked_ = 0;  // tells a placement of this drawing from one of the last
    std::optional<QPointF> dragFrom_;
};

}  // namespace kerfwright::app
