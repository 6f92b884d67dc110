#pragma once

#include "Flowchart.h"

#include <Mermaid/MermaidError.h>
#include <Tarn/Result.h>

#include <QList>
#include <QString>

namespace Mermaid::FlowchartParser {

/// Cuts a line at ";" characters outside double quotes and outside (), [] and {} pairs; a
/// closing bracket without its opener leaves its depth at zero. Pieces are trimmed and empty
/// ones dropped.
QList<QString> splitTopLevel(const QString &line);

/// The flowchart of a prepared source (header line included). Lenient: what it cannot read is
/// skipped; fails only on an empty source, a bad header or an edge without a destination.
Tarn::Common::Result<Flowchart, MermaidError> parse(const QString &text);

} // namespace Mermaid::FlowchartParser
