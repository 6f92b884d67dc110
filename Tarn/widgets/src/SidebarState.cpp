#include <Tarn/SidebarState.h>

#include <QCoreApplication>
#include <QSettings>

namespace Tarn {

SidebarState &SidebarState::instance()
{
    static SidebarState *state = new SidebarState;
    return *state;
}

bool SidebarState::storedVisible(const QSettings &settings)
{
    const QVariant stored = settings.value(QLatin1StringView(settingsKey));
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    // Text-based settings formats hand Booleans back as the strings they wrote.
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text == u"true")
            return true;
        if (text == u"false")
            return false;
    }
    return true;
}

SidebarState::SidebarState()
    : QObject(QCoreApplication::instance())
    , m_visible(storedVisible(QSettings()))
{
}

void SidebarState::setVisible(bool visible)
{
    QSettings().setValue(QLatin1StringView(settingsKey), visible);
    if (visible == m_visible)
        return;
    m_visible = visible;
    Q_EMIT visibleChanged(visible);
}

} // namespace Tarn
