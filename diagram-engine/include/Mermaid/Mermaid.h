#pragma once

// The entry of the diagram engine: Mermaid source in, a scene or an error out. Pure and safe
// to call from several threads at once.

#include <Mermaid/MermaidError.h>
#include <Mermaid/MermaidScene.h>
#include <Mermaid/MermaidTheme.h>
#include <Tarn/Result.h>

#include <QString>

namespace Mermaid {

/// Which layout engine lays out flowcharts.
enum class LayoutBackend { builtin, dagre };

/// The diagram kind named by a source's header keyword.
enum class DiagramKind {
    flowchart,
    sequence,
    state,
    classDiagram,
    pie,
    erDiagram,
    gantt,
    gitGraph,
    journey,
    mindmap,
    timeline,
    quadrantChart,
    requirement,
    c4,
    sankey,
    xyChart,
    block,
    architecture,
    unknown,
};

struct PreparedSource
{
    /// The source with line feeds only, front matter, directives and comments blanked; every
    /// line keeps its number.
    QString text;
    MermaidTheme theme = MermaidTheme::default_;
    /// The header keyword as written; for an unknown kind without a keyword, the whole first
    /// non-blank line.
    QString keyword;
    DiagramKind kind = DiagramKind::unknown;

    bool operator==(const PreparedSource &) const = default;
};

/// The kind whose header keyword this is, compared after lower-casing; unknown when none.
DiagramKind diagramKindForKeyword(const QString &keyword);

/// Normalises line endings, blanks front matter, directives and comments, resolves the theme
/// (dark mode wins over the source) and detects the kind.
PreparedSource prepareSource(const QString &source, bool darkMode);

/// builtin when MERMAID_DAGRE is exactly "0", dagre otherwise (unset and empty included).
LayoutBackend layoutBackendFromEnvironment();

/// The scene of one diagram, or the error to show in its place. Never aborts on any source.
Tarn::Common::Result<MermaidScene, MermaidError> render(const QString &source, bool darkMode,
                                                        LayoutBackend backend);

} // namespace Mermaid
