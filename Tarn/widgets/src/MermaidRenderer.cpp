#include <Mermaid/Mermaid.h>
#include <Mermaid/SceneDrawing.h>
#include <Tarn/MermaidRenderer.h>

#include <QCoreApplication>

#include <algorithm>
#include <exception>

namespace Tarn {

namespace {

constexpr double widestDiagram = 900;

MermaidRender failed(const QString &message) { return {MermaidRender::Failed{message}}; }

} // namespace

MermaidRender MermaidRender::render(const QString &source, bool dark)
{
    try {
        const auto scene = Mermaid::render(source, dark, Mermaid::layoutBackendFromEnvironment());
        if (!scene)
            return failed(scene.error().description());
        QByteArray data = Mermaid::pdfData(*scene);
        if (data.isEmpty())
            return failed(QString::fromLatin1(emptyDiagramMessage.data(),
                                              qsizetype(emptyDiagramMessage.size())));
        return {Pdf{std::move(data), QSizeF(scene->size.width, scene->size.height)}};
    } catch (const std::exception &error) {
        // Runs on a worker thread: nothing may escape into the task machinery.
        return failed(QString::fromLocal8Bit(error.what()));
    }
}

std::optional<MermaidZoom> mermaidZoomFromRaw(int raw)
{
    for (const MermaidZoom zoom : mermaidZoomSteps) {
        if (rawValue(zoom) == raw)
            return zoom;
    }
    return std::nullopt;
}

QString pickerLabel(MermaidZoom zoom) { return QString::number(rawValue(zoom)) + u'%'; }

double maximumDiagramWidth(MermaidZoom zoom, double naturalWidth)
{
    return std::min(rawValue(zoom) / 100.0 * naturalWidth, widestDiagram);
}

size_t qHash(const MermaidCache::Key &key, size_t seed) noexcept
{
    return qHashMulti(seed, key.source, key.dark);
}

MermaidCache::MermaidCache()
    : QObject(QCoreApplication::instance())
{
}

MermaidCache &MermaidCache::instance()
{
    // Parented to the application so that it goes away with it.
    static MermaidCache *cache = new MermaidCache;
    return *cache;
}

std::optional<MermaidRender> MermaidCache::lookup(const Key &key) const
{
    const auto found = m_store.constFind(key);
    if (found == m_store.constEnd())
        return std::nullopt;
    return *found;
}

void MermaidCache::insert(const Key &key, MermaidRender render)
{
    m_store.insert(key, std::move(render));
}

MermaidViewState::MermaidViewState()
    : QObject(QCoreApplication::instance())
{
}

MermaidViewState &MermaidViewState::instance()
{
    static MermaidViewState *state = new MermaidViewState;
    return *state;
}

MermaidViewState::State MermaidViewState::state(const QString &source) const
{
    return m_states.value(source);
}

void MermaidViewState::setCollapsed(const QString &source, bool collapsed)
{
    State &state = m_states[source];
    if (state.collapsed == collapsed)
        return;
    state.collapsed = collapsed;
    Q_EMIT stateChanged(source);
}

void MermaidViewState::setZoom(const QString &source, MermaidZoom zoom)
{
    State &state = m_states[source];
    if (state.zoom == zoom)
        return;
    state.zoom = zoom;
    Q_EMIT stateChanged(source);
}

} // namespace Tarn
