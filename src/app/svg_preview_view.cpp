#include "svg_preview_view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDropEvent>
#include <QHash>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include <unistd.h>

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
}

SvgPreviewView::~SvgPreviewView() {
    if (!largePageUrl_.isEmpty()) LargePages::instance().remove(largePageUrl_);
}

void SvgPreviewView::showSvg(std::string_view svg) {
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

void SvgPreviewView::dragEnterEvent(QDragEnterEvent* event) { event->ignore(); }

void SvgPreviewView::dragMoveEvent(QDragMoveEvent* event) { event->ignore(); }

void SvgPreviewView::dropEvent(QDropEvent* event) { event->ignore(); }

}  // namespace kerfwright::app
