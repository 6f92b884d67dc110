#pragma once

// Diagram results for the preview: one render of a source as PDF data or a failure text, the
// run-wide cache of renders by (source, dark), the zoom steps and the per-source panel state.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <variant>

namespace Tarn {

/// The result of rendering one diagram.
struct MermaidRender
{
    struct Pdf
    {
        QByteArray data; ///< one page
        QSizeF size;     ///< the diagram's natural size in points
        friend bool operator==(const Pdf &, const Pdf &) = default;
    };
    struct Failed
    {
        QString message;
        friend bool operator==(const Failed &, const Failed &) = default;
    };
    std::variant<Pdf, Failed> value;

    static constexpr std::string_view emptyDiagramMessage = "Mermaid produced an empty diagram";

    /// Renders synchronously with the layout backend of the environment. Safe on any thread;
    /// every failure, the engine's or an exception, becomes `Failed`.
    static MermaidRender render(const QString &source, bool dark);

    friend bool operator==(const MermaidRender &, const MermaidRender &) = default;
};

/// Diagram width steps, as percentages of the natural width.
enum class MermaidZoom { small = 50, medium = 75, large = 100, xlarge = 125 };

inline constexpr std::array<MermaidZoom, 4> mermaidZoomSteps{
    MermaidZoom::small, MermaidZoom::medium, MermaidZoom::large, MermaidZoom::xlarge};

/// The percentage.
constexpr int rawValue(MermaidZoom zoom) { return int(zoom); }
/// The step whose percentage is `raw`; nullopt for any other number.
std::optional<MermaidZoom> mermaidZoomFromRaw(int raw);
/// "50%", "75%", ...
QString pickerLabel(MermaidZoom zoom);

/// The widest a diagram of `naturalWidth` points is drawn at `zoom`: the zoomed width, at most
/// 900 points.
double maximumDiagramWidth(MermaidZoom zoom, double naturalWidth);

/// Every render of the run, failures included, by source and appearance. Main thread only;
/// entries are never removed.
class MermaidCache : public QObject
{
    Q_OBJECT

public:
    struct Key
    {
        QString source;
        bool dark = false;
        friend bool operator==(const Key &, const Key &) = default;
    };

    /// The one instance, created on first use.
    static MermaidCache &instance();

    std::optional<MermaidRender> lookup(const Key &key) const;
    void insert(const Key &key, MermaidRender render);
    qsizetype size() const { return m_store.size(); }

private:
    MermaidCache();

    QHash<Key, MermaidRender> m_store;
};

size_t qHash(const MermaidCache::Key &key, size_t seed = 0) noexcept;

/// Whether each diagram's panel is collapsed and how wide it is drawn, shared by every panel
/// showing the same source. Main thread only; entries are never removed.
class MermaidViewState : public QObject
{
    Q_OBJECT

public:
    struct State
    {
        bool collapsed = false;
        MermaidZoom zoom = MermaidZoom::medium;
        friend bool operator==(const State &, const State &) = default;
    };

    /// The one instance, created on first use.
    static MermaidViewState &instance();

    /// The default state for a source without an entry.
    State state(const QString &source) const;
    void setCollapsed(const QString &source, bool collapsed);
    void setZoom(const QString &source, MermaidZoom zoom);

Q_SIGNALS:
    void stateChanged(const QString &source);

private:
    MermaidViewState();

    QHash<QString, State> m_states;
};

} // namespace Tarn
