#pragma once
// The live preview of one drawing: its SVG text inside the fixed preview
// page, rendered by an embedded web engine that runs no script and fetches
// nothing.

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

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

    // Replaces the whole page with the one around `svg`.
    void showSvg(std::string_view svg);

protected:
    // Files dropped on the preview are for the window, not for the page.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QUrl largePageUrl_;
};

}  // namespace kerfwright::app
