#pragma once

#include <Tarn/PDFExport.h>

#include <QObject>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <optional>

class QWebEnginePage;
class QWebEngineProfile;

namespace Tarn {

class ExportRequestFilter;

/// One PDF export: an off-screen web page that loads the HTML page and prints it. Created per
/// export on the main thread; deletes itself once it has reported.
class WebViewPDFExporter : public QObject
{
    Q_OBJECT

public:
    explicit WebViewPDFExporter(QObject *parent);
    ~WebViewPDFExporter() override;

    /// Starts loading `html`; `completion` runs exactly once, after the PDF is written or on
    /// the first failure.
    void exportHTML(const QString &html, const QString &destination,
                    PDFExportCompletion completion);

private:
    void loadFinished(bool ok);
    void pdfPrinted(const QByteArray &data);
    void finish(const PDFExportResult &result);

    std::optional<PDFExportCompletion> m_continuation;
    QString m_destinationPath;
    QUrl m_pageUrl;
    QTemporaryDir m_pageDirectory;
    std::unique_ptr<ExportRequestFilter> m_requestFilter;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_webView; // declared last: released before its profile
};

} // namespace Tarn
