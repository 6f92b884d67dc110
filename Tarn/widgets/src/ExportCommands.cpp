#include <Tarn/ExportCommands.h>

#include <QMessageBox>

namespace Tarn {

// The exporters are not part of this build yet: say so plainly instead of pretending.
static void exportNotAvailable(QWidget *parent, const QString &title)
{
    QMessageBox::information(
        parent, title, QObject::tr("%1 is not available yet in this version of Tarn.").arg(title));
}

void exportAsHTML(QWidget *parent, const FormatCommandTarget &target)
{
    if (!target.isValid())
        return;
    exportNotAvailable(parent, QObject::tr("Export as HTML"));
}

void exportAsPDF(QWidget *parent, const FormatCommandTarget &target)
{
    if (!target.isValid())
        return;
    exportNotAvailable(parent, QObject::tr("Export as PDF"));
}

} // namespace Tarn
