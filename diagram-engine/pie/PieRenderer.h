#pragma once

#include "PieChart.h"

#include <Mermaid/MermaidScene.h>
#include <Mermaid/MermaidTheme.h>

namespace Mermaid::PieRenderer {

/// A fixed-size pie on the left and a legend on the right; never fails.
MermaidScene render(const PieChart &chart, MermaidTheme theme);

} // namespace Mermaid::PieRenderer
