#include "svg_preview_view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDropEvent>
#include <QHash>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include <unistd.h>

#include <cmath>

#include "preview_zoom.h"
#include "qt_text.h"
#include "writers/preview_page.h"

namespace kerfwright::app {
namespace {

// The engine turns an HTML string into a data: URL, and refuses URLs above
// 2 MiB; in Base64 that leaves room for pages of this many bytes.
constexpr qsizetype kLargestInlinePage = 1'500'000;

const QByteArray kLargePageScheme = QByteArrayLiteral("kerfwright-preview");

// Pages too large to go inline, served from memory by their URL. Drawings
// with photographs for engraving easily pass the inline limit.
class LargePages : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    static LargePages& instance() {
        static LargePages* pages = [] {
            QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
            auto* handler = new LargePages(profile);
            profile->installUrlSchemeHandler(kLargePageScheme, handler);
            return handler;
        }();
        return *pages;
    }

    QUrl newUrl() {
        return QUrl(QString::fromLatin1(kLargePageScheme) + QStringLiteral(":page-") + QString::number(++lastPage_));
    }
    void put(const QUrl& url, QByteArray page) { pages_.insert(url, std::move(page)); }
    void remove(const QUrl& url) { pages_.remove(url); }

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const auto found = pages_.constFind(job->requestUrl());
        if (found == pages_.constEnd()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* body = new QBuffer(job);
        body->setData(*found);
        body->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html"), body);
    }

private:
    QHash<QUrl, QByteArray> pages_;
    quint64 lastPage_ = 0;
};

void registerLargePageScheme() {
    QWebEngineUrlScheme scheme(kLargePageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void restrictPage(QWebEnginePage& page) {
    QWebEngineSettings& settings = *page.settings();
    settings.setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings.setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings.setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings.setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings.setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings.setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings.setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings.setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
}

constexpr double kMillimetersPerInch = 25.4;
// Closer than this the drawing's finest lines turn into blocks.
constexpr double kLargestTimesActualSize = 100;
constexpr double kWheelNotch = 120;

QString pixels(double value) { return QString::number(value, 'f', 3) + QStringLiteral("px"); }

// Fixed to the view at `placement`, out of the page's own layout.
QString placementScript(const QRectF& placement) {
    return QStringLiteral("(() => { const drawing = document.querySelector('svg'); if (!drawing) return; "
                          "drawing.style.cssText = 'position: fixed; max-width: none; max-height: none; "
                          "left: %1; top: %2; width: %3; height: %4'; })()")
        .arg(pixels(placement.x()), pixels(placement.y()), pixels(placement.width()), pixels(placement.height()));
}

}  // namespace

void prepareWebEngineBeforeApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerLargePageScheme();
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

bool isAllowedPreviewRequest(const QUrl& url) {
    return url.scheme() == QStringLiteral("data") || url.scheme() == QString::fromLatin1(kLargePageScheme);
}

void PreviewRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    info.block(!isAllowedPreviewRequest(info.requestUrl()));
}

SvgPreviewView::SvgPreviewView(QWidget* parent) : QWebEngineView(parent) {
    restrictPage(*page());
    // Owned by the page, so that it outlives every request the page makes.
    page()->setUrlRequestInterceptor(new PreviewRequestGuard(page()));
    // The page paints its own checkerboard; the view adds no background.
    page()->setBackgroundColor(Qt::transparent);
    setContextMenuPolicy(Qt::NoContextMenu);
    // A load cut short by the next drawing is not the end of the work.
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        pageReady_ = ok;
        if (ok) applyPlacement();
    });
}

SvgPreviewView::~SvgPreviewView() {
    // The page, going with the base class, calls the placements' callbacks
    // still waiting: they find this view gone.
    alive_.reset();
    if (!largePageUrl_.isEmpty()) LargePages::instance().remove(largePageUrl_);
}

void SvgPreviewView::showSvg(std::string_view svg, QSizeF millimeters, Placement placement) {
    millimeters_ = millimeters;
    if (placement == Placement::reset) placement_.reset();
    pageReady_ = false;
    placed_ = false;
    ++drawingsAsked_;
    emit drawn(false);
    const std::string page = PreviewPage::html(svg);
    if (static_cast<qsizetype>(page.size()) <= kLargestInlinePage) {
        setHtml(qtText(page), QUrl());
        return;
    }
    LargePages& pages = LargePages::instance();
    if (largePageUrl_.isEmpty()) largePageUrl_ = pages.newUrl();
    pages.put(largePageUrl_, QByteArray(page.data(), static_cast<qsizetype>(page.size())));
    // A reload of the same URL still asks for the page anew.
    load(largePageUrl_);
}

void SvgPreviewView::fit() { place(PreviewZoom::fitted(millimeters_, size())); }

void SvgPreviewView::showActualSize() {
    place(PreviewZoom::atScale(currentPlacement(), millimeters_, size(), screenPixelsPerMillimeter()));
}

void SvgPreviewView::zoomIn() { zoomAround(QPointF(width() / 2.0, height() / 2.0), PreviewZoom::kWheelStepFactor); }

void SvgPreviewView::zoomOut() {
    zoomAround(QPointF(width() / 2.0, height() / 2.0), 1 / PreviewZoom::kWheelStepFactor);
}

void SvgPreviewView::zoomAround(QPointF anchor, double factor) {
    place(PreviewZoom::zoomedAround(currentPlacement(), anchor, factor, millimeters_, size(),
                                    kLargestTimesActualSize * screenPixelsPerMillimeter()));
}

// Qt counts the screen's density in the same device-independent pixels as
// the engine's CSS pixels.
double SvgPreviewView::screenPixelsPerMillimeter() const {
    return screen()->physicalDotsPerInch() / kMillimetersPerInch;
}

QRectF SvgPreviewView::currentPlacement() const {
    return placement_.value_or(PreviewZoom::initialPlacement(millimeters_, size()));
}

void SvgPreviewView::place(const QRectF& placement) {
    if (millimeters_.isEmpty()) return;
    placement_ = placement;
    if (pageReady_) applyPlacement();
}

// The drawing is placed by the view as soon as the page has loaded, never
// left to the page's own layout: at a high device pixel ratio the engine
// sized it past the right edge of a small view. It is drawn once the first
// placement is shown.
void SvgPreviewView::applyPlacement() {
    page()->runJavaScript(placementScript(currentPlacement()), QWebEngineScript::ApplicationWorld,
                          [this, alive = std::weak_ptr(alive_), drawing = drawingsAsked_,
                           viewSize = size()](const QVariant&) {
                              if (alive.expired() || !pageReady_ || drawing != drawingsAsked_) return;
                              placedInSize_ = viewSize;
                              if (placed_) return;
                              placed_ = true;
                              emit drawn(true);
                          });
}

// Until the user zooms or pans, the drawing keeps its first placement for
// whatever size the view has; after, the place the user chose.
void SvgPreviewView::resizeEvent(QResizeEvent* event) {
    QWebEngineView::resizeEvent(event);
    if (pageReady_) applyPlacement();
}

// The engine draws the page in a widget of its own inside this one, which
// receives the pointer.
bool SvgPreviewView::event(QEvent* event) {
    if (event->type() == QEvent::ChildPolished) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            child->installEventFilter(this);
        }
    }
    return QWebEngineView::event(event);
}

bool SvgPreviewView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel:
            return zoomAtWheel(static_cast<const QWheelEvent&>(*event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return pan(static_cast<const QMouseEvent&>(*event));
        default:
            return QWebEngineView::eventFilter(watched, event);
    }
}

bool SvgPreviewView::zoomAtWheel(const QWheelEvent& wheel) {
    const double notches = wheel.angleDelta().y() / kWheelNotch;
    if (notches == 0) return true;
    zoomAround(wheel.position(), std::pow(PreviewZoom::kWheelStepFactor, notches));
    return true;
}

bool SvgPreviewView::pan(const QMouseEvent& mouse) {
    if (mouse.type() == QEvent::MouseButtonPress && mouse.button() == Qt::LeftButton) {
        dragFrom_ = mouse.position();
    } else if (mouse.type() == QEvent::MouseButtonRelease && mouse.button() == Qt::LeftButton) {
        dragFrom_.reset();
    } else if (mouse.type() == QEvent::MouseMove && dragFrom_) {
        place(currentPlacement().translated(mouse.position() - *dragFrom_));
        dragFrom_ = mouse.position();
    } else {
        return false;
    }
    return true;
}

void SvgPreviewView::dragEnterEvent(QDragEnterEvent* event) { event->ignore(); }

void SvgPreviewView::dragMoveEvent(QDragMoveEvent* event) { event->ignore(); }

void SvgPreviewView::dropEvent(QDropEvent* event) { event->ignore(); }

}  // namespace kerfwright::app
