#pragma once

#include <Tarn/FormatCommandTarget.h>

#include <QString>

class QWidget;

namespace Tarn {

/// File > Export as HTML… on the focused document; `parent` owns the dialogs shown.
void exportAsHTML(QWidget *parent, const FormatCommandTarget &target);
/// File > Export as PDF… on the focused document.
void exportAsPDF(QWidget *parent, const FormatCommandTarget &target);

/// Writes the page of `text` to `path` atomically, titled after the file's base name, off the
/// main thread; a failure is logged and shown in an alert over `parent`.
void exportHTMLTo(QWidget *parent, const QString &text, const QString &path);
/// Prints the page of `text` to a PDF at `path` through the off-screen web engine; a failure
/// is logged and shown in an alert over `parent`.
void exportPDFTo(QWidget *parent, const QString &text, const QString &path);

} // namespace Tarn
