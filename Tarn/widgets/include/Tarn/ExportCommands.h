#pragma once

#include <Tarn/FormatCommandTarget.h>

class QWidget;

namespace Tarn {

/// File > Export as HTML… on the focused document; `parent` owns the dialogs shown.
void exportAsHTML(QWidget *parent, const FormatCommandTarget &target);
/// File > Export as PDF… on the focused document.
void exportAsPDF(QWidget *parent, const FormatCommandTarget &target);

} // namespace Tarn
