#include <Tarn/AppearanceState.h>

#include <QApplication>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>

namespace Tarn {

namespace {

QPalette lightPalette()
{
    QPalette palette(QColor(0xf0, 0xf0, 0xf0));
    palette.setColor(QPalette::Window, QColor(0xf3, 0xf3, 0xf3));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf5, 0xf5, 0xf7));
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Button, QColor(0xf3, 0xf3, 0xf3));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
    palette.setColor(QPalette::ToolTipText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::PlaceholderText, QColor(0x86, 0x86, 0x8b));
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x7b, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x06, 0x63, 0xd6));
    palette.setColor(QPalette::LinkVisited, QColor(0x6f, 0x42, 0xc1));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0xa0, 0xa0, 0xa5));
    return palette;
}

QPalette darkPalette()
{
    QPalette palette(QColor(0x32, 0x32, 0x34));
    palette.setColor(QPalette::Window, QColor(0x2a, 0x2a, 0x2c));
    palette.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x28));
    palette.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::Button, QColor(0x36, 0x36, 0x38));
    palette.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
    palette.setColor(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x5a, 0xa9, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xbf, 0x8c, 0xff));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4a));
    palette.setColor(QPalette::Midlight, QColor(0x3c, 0x3c, 0x3e));
    palette.setColor(QPalette::Mid, QColor(0x24, 0x24, 0x26));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x6e, 0x6e, 0x73));
    return palette;
}

} // namespace

QString rawValue(AppAppearance appearance)
{
    for (const auto &name : appAppearanceNames) {
        if (name.value == appearance)
            return QString::fromLatin1(name.raw.data(), qsizetype(name.raw.size()));
    }
    return {};
}

QString menuLabel(AppAppearance appearance)
{
    for (const auto &name : appAppearanceNames) {
        if (name.value == appearance)
            return QString::fromLatin1(name.label.data(), qsizetype(name.label.size()));
    }
    return {};
}

std::optional<AppAppearance> appAppearanceFromRaw(QStringView raw)
{
    for (const auto &name : appAppearanceNames) {
        if (raw == QLatin1StringView(name.raw.data(), qsizetype(name.raw.size())))
            return name.value;
    }
    return std::nullopt;
}

AppearanceState &AppearanceState::instance()
{
    // Parented to the application so that it goes away with it.
    static AppearanceState *state = new AppearanceState;
    return *state;
}

AppAppearance AppearanceState::storedAppearance(const QSettings &settings)
{
    const QVariant stored = settings.value(QLatin1StringView(settingsKey));
    if (stored.typeId() != QMetaType::QString)
        return AppAppearance::system;
    return appAppearanceFromRaw(stored.toString()).value_or(AppAppearance::system);
}

AppearanceState::AppearanceState()
    : QObject(qApp)
{
    if (auto *style = QApplication::style())
        m_systemStyleName = style->name();
    m_systemPalette = QApplication::palette();
    m_appearance = storedAppearance(QSettings());
    applyToApplication();
}

void AppearanceState::setAppearance(AppAppearance appearance)
{
    const bool changed = appearance != m_appearance;
    m_appearance = appearance;
    QSettings().setValue(QLatin1StringView(settingsKey), rawValue(appearance));
    if (!changed)
        return;
    applyToApplication();
    Q_EMIT appearanceChanged(appearance);
}

bool AppearanceState::isDark()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

void AppearanceState::applyToApplication() const
{
    // Qt 6.4 has no colour-scheme query; the desktop's own look reaches us as the platform
    // theme's style and palette, so "system" restores those and overrides nothing.
    switch (m_appearance) {
    case AppAppearance::system:
        if (QApplication::style() && QApplication::style()->name() != m_systemStyleName)
            QApplication::setStyle(QStyleFactory::create(m_systemStyleName));
        QApplication::setPalette(m_systemPalette);
        return;
    case AppAppearance::light:
        if (QApplication::style() && QApplication::style()->name() != u"fusion")
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(lightPalette());
        return;
    case AppAppearance::dark:
        if (QApplication::style() && QApplication::style()->name() != u"fusion")
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
        return;
    }
}

} // namespace Tarn
