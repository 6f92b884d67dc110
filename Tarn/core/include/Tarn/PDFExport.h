#pragma once

#include <Tarn/Result.h>

#include <QObject>
#include <QString>

#include <functional>

namespace Tarn {

/// The outcome of a PDF export: the number of bytes written, or a one-line error.
using PDFExportResult = Common::Result<qint64, QString>;
using PDFExportCompletion = std::function<void(const PDFExportResult &)>;

/// Prints an HTML page to a PDF file through an off-screen web page, laid out 816 points wide.
/// Main thread only; returns at once. `completion` runs exactly once on the main thread, unless
/// `context` is destroyed first. The web engine is loaded on the first call, never before.
/// The page runs no script and makes no request but for itself and data: URLs.
void exportPDF(const QString &html, const QString &destination, QObject *context,
               PDFExportCompletion completion);

} // namespace Tarn
