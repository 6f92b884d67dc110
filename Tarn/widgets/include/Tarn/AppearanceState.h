#pragma once

#include <QObject>
#include <QPalette>
#include <QString>

#include <array>
#include <optional>
#include <string_view>

class QSettings;

namespace Tarn {

/// The application's colour appearance; "system" follows the desktop.
enum class AppAppearance { system, light, dark };

struct AppAppearanceName
{
    AppAppearance value;
    std::string_view raw;   ///< stored under "appAppearance"
    std::string_view label; ///< shown in the Appearance menu
};

inline constexpr std::array<AppAppearanceName, 3> appAppearanceNames{{
    {AppAppearance::system, "system", "System"},
    {AppAppearance::light, "light", "Light"},
    {AppAppearance::dark, "dark", "Dark"},
}};

/// The stored raw string of `appearance`.
QString rawValue(AppAppearance appearance);
/// The menu label of `appearance`.
QString menuLabel(AppAppearance appearance);
/// Exact match against the raw strings, no case folding or trimming; nullopt otherwise.
std::optional<AppAppearance> appAppearanceFromRaw(QStringView raw);

/// The application-wide appearance. Created on first use; every assignment is written to the
/// settings and applied to all windows at once.
class AppearanceState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        AppAppearance appearance READ appearance WRITE setAppearance NOTIFY appearanceChanged)

public:
    static constexpr const char *settingsKey = "appAppearance";

    /// The one instance; the first call reads the settings and applies the stored appearance.
    static AppearanceState &instance();

    /// The appearance stored in `settings`; `system` when missing or not a recognised string.
    static AppAppearance storedAppearance(const QSettings &settings);

    AppAppearance appearance() const { return m_appearance; }
    void setAppearance(AppAppearance appearance);

    /// Whether the colours now in effect are dark (for views that draw their own colours).
    static bool isDark();

Q_SIGNALS:
    void appearanceChanged(Tarn::AppAppearance appearance);

private:
    AppearanceState();
    void applyToApplication() const;

    AppAppearance m_appearance = AppAppearance::system;
    QString m_systemStyleName;
    QPalette m_systemPalette;
};

} // namespace Tarn
