#include <Tarn/PDFExport.h>

#include <QCoreApplication>
#include <QLibrary>
#include <QMetaObject>

namespace Tarn {

namespace {

// The entry point of the web-engine module (see Tarn/pdf).
using StartPDFExport = void (*)(const QString &html, const QString &destination, QObject *context,
                                const PDFExportCompletion &completion);

constexpr const char *moduleName = "tarn_webengine_pdf";

// Loads the module that holds the web engine, once; later calls get the same answer.
Common::Result<StartPDFExport, QString> pdfModule()
{
    static const Common::Result<StartPDFExport, QString> loaded
        = []() -> Common::Result<StartPDFExport, QString> {
        // The module is installed beside the executable.
        QLibrary library(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(moduleName));
        if (!library.load())
            return Common::Unexpected(
                QStringLiteral("PDF export is unavailable: %1").arg(library.errorString()));
        auto start = reinterpret_cast<StartPDFExport>(library.resolve("tarnStartPDFExport"));
        if (!start)
            return Common::Unexpected(
                QStringLiteral("PDF export is unavailable: %1").arg(library.errorString()));
        return start;
    }();
    return loaded;
}

} // namespace

void exportPDF(const QString &html, const QString &destination, QObject *context,
               PDFExportCompletion completion)
{
    // Without shared contexts the web engine crashes on start; the application sets the
    // attribute before it creates itself.
    const auto start = QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)
                           ? pdfModule()
                           : Common::Unexpected(QStringLiteral(
                               "PDF export is unavailable: OpenGL contexts are not shared"));
    if (!start) {
        // Still asynchronous, as a successful export would be.
        QMetaObject::invokeMethod(
            context, [completion, error = start.error()] { completion(Common::Unexpected(error)); },
            Qt::QueuedConnection);
        return;
    }
    (*start)(html, destination, context, completion);
}

} // namespace Tarn
