#pragma once

#include <QObject>

class QSettings;

namespace Tarn {

/// Whether document windows show the outline sidebar; shared by all windows, stored under
/// "sidebarVisible". Created on first use.
class SidebarState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool visible READ isVisible WRITE setVisible NOTIFY visibleChanged)

public:
    static constexpr const char *settingsKey = "sidebarVisible";

    static SidebarState &instance();

    /// The stored Boolean; true when the key is missing or holds anything but a Boolean.
    static bool storedVisible(const QSettings &settings);

    bool isVisible() const { return m_visible; }
    /// Assigns and writes the value to the settings (also when unchanged).
    void setVisible(bool visible);
    void toggle() { setVisible(!m_visible); }

Q_SIGNALS:
    void visibleChanged(bool visible);

private:
    SidebarState();

    bool m_visible = true;
};

} // namespace Tarn
