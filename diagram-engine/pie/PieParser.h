#pragma once

#include "PieChart.h"

#include <Mermaid/MermaidError.h>
#include <Tarn/Result.h>

namespace Mermaid::PieParser {

/// The chart of a prepared pie source (header line included); a parse error names the line of
/// a bad header or slice value.
Tarn::Common::Result<PieChart, MermaidError> parse(const QString &text);

} // namespace Mermaid::PieParser
