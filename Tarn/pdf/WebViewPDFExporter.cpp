#include "WebViewPDFExporter.h"

#include <Tarn/AtomicFile.h>

#include <QFile>
#include <QLoggingCategory>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include <unistd.h>

namespace Tarn {

// The application's log channel, by name: this module is loaded apart from the application.
Q_LOGGING_CATEGORY(pdfLog, "tarn.format")

/// Lets the page load itself and data: URLs, nothing else: a document from an untrusted
/// source must not reach the network or the file system while it is printed.
class ExportRequestFilter : public QWebEngineUrlRequestInterceptor
{
public:
    explicit ExportRequestFilter(QUrl pageUrl)
        : m_pageUrl(std::move(pageUrl))
    {
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        const bool allowed = url.scheme() == u"data" || url == m_pageUrl;
        info.block(!allowed);
    }

private:
    const QUrl m_pageUrl;
};

namespace {

constexpr std::chrono::seconds loadTimeout{120};

// US Letter, no side margins: the page is laid out 816 CSS pixels (points) wide.
QPageLayout printLayout()
{
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 36, 0, 36),
                       QPageLayout::Point);
}

} // namespace

WebViewPDFExporter::WebViewPDFExporter(QObject *parent)
    : QObject(parent)
{
}

WebViewPDFExporter::~WebViewPDFExporter() = default;

void WebViewPDFExporter::exportHTML(const QString &html, const QString &destination,
                                    PDFExportCompletion completion)
{
    m_continuation = std::move(completion);
    m_destinationPath = destination;

    // The page is served from a private file rather than a data: URL, which caps its size.
    const QString pagePath = m_pageDirectory.filePath(QStringLiteral("page.html"));
    QFile page(pagePath);
    if (!m_pageDirectory.isValid() || !page.open(QIODevice::WriteOnly)
        || page.write(html.toUtf8()) < 0) {
        finish(Common::Unexpected(
            QStringLiteral("cannot stage the page: %1").arg(page.errorString())));
        return;
    }
    page.close();
    m_pageUrl = QUrl::fromLocalFile(pagePath);

    m_requestFilter = std::make_unique<ExportRequestFilter>(m_pageUrl);
    m_profile = std::make_unique<QWebEngineProfile>(); // off the record: nothing is stored
    m_profile->setUrlRequestInterceptor(m_requestFilter.get());
    m_webView = std::make_unique<QWebEnginePage>(m_profile.get());
    QWebEngineSettings *settings = m_webView->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    connect(m_webView.get(), &QWebEnginePage::loadFinished, this,
            &WebViewPDFExporter::loadFinished);

    qCInfo(pdfLog, "PDF export: WKWebView load starting, htmlLen=%ld", long(html.size()));
    m_webView->load(m_pageUrl);

    // The page loads nothing from outside, so this only ends an engine that stopped answering.
    QTimer::singleShot(loadTimeout, this, [this] {
        if (!m_continuation)
            return;
        const QString error = QStringLiteral("the page did not finish loading");
        qCCritical(pdfLog, "PDF export: WKWebView load failed: %s", qUtf8Printable(error));
        finish(Common::Unexpected(error));
    });
}

void WebViewPDFExporter::loadFinished(bool ok)
{
    if (!m_continuation)
        return;
    if (!ok) {
        const QString error = QStringLiteral("the page could not be loaded");
        qCCritical(pdfLog, "PDF export: WKWebView load failed: %s", qUtf8Printable(error));
        finish(Common::Unexpected(error));
        return;
    }
    qCInfo(pdfLog, "PDF export: WKWebView load finished, requesting PDF");
    QPointer<WebViewPDFExporter> self(this);
    m_webView->printToPdf(
        [self](const QByteArray &data) {
            if (self)
                self->pdfPrinted(data);
        },
        printLayout());
}

void WebViewPDFExporter::pdfPrinted(const QByteArray &data)
{
    if (!m_continuation)
        return;
    if (data.isEmpty()) {
        const QString error = QStringLiteral("the web engine produced no PDF");
        qCCritical(pdfLog, "PDF export: pdf() failed: %s", qUtf8Printable(error));
        finish(Common::Unexpected(error));
        return;
    }
    // Written atomically, so that a failed write never damages an existing file.
    const auto written = writeFileAtomically(m_destinationPath, data);
    if (!written) {
        qCCritical(pdfLog, "PDF export: pdf() failed: %s", qUtf8Printable(written.error()));
        finish(Common::Unexpected(written.error()));
        return;
    }
    qCInfo(pdfLog, "PDF export: ok bytes=%ld -> %s", long(data.size()),
           qUtf8Printable(m_destinationPath));
    finish(*written);
}

void WebViewPDFExporter::finish(const PDFExportResult &result)
{
    // Resumed exactly once: a late second notification finds no continuation.
    std::optional<PDFExportCompletion> continuation = std::exchange(m_continuation, std::nullopt);
    if (m_webView)
        m_webView->disconnect(this);
    deleteLater(); // the page and its profile go with the exporter, after this call returns
    if (continuation && *continuation)
        (*continuation)(result);
}

} // namespace Tarn

// The module's entry point, resolved by name when the first PDF is exported.
extern "C" Q_DECL_EXPORT void tarnStartPDFExport(const QString &html, const QString &destination,
                                                 QObject *context,
                                                 const Tarn::PDFExportCompletion &completion)
{
    // Chromium refuses to start its sandbox as root; there is no user to protect from then.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    auto *exporter = new Tarn::WebViewPDFExporter(context);
    exporter->exportHTML(html, destination, completion);
}
