#pragma once

// Fonts and adaptive colours of the preview. Sizes are points, where one point is one
// device-independent pixel; colours are read from the palette when drawn, so they follow the
// light and dark appearance.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

class QPainter;
class QRectF;

namespace Tarn::PreviewStyle {

constexpr double bodySize = 13;
constexpr double calloutSize = 12;
constexpr double captionSize = 10;
constexpr double cornerRadius = 6;

enum class Weight { regular, semibold, bold };

/// The system font (or the monospaced one) at `size` points.
QFont font(double size, Weight weight = Weight::regular, bool monospaced = false,
           bool italic = false);

/// Whether `palette` shows light text on a dark window.
bool isDark(const QPalette &palette);

QColor primaryText(const QPalette &palette);
QColor secondaryText(const QPalette &palette);
QColor accent(const QPalette &palette);
/// Code block, HTML block and front-matter backgrounds.
QColor panelGrey(const QPalette &palette);
/// Table header row background.
QColor headerGrey(const QPalette &palette);
QColor inlineCodeBackground(const QPalette &palette);
QColor separator(const QPalette &palette);

/// The standard rounded rectangle: optional fill, then a 1-point border in the separator colour
/// at opacity 0.7 drawn inside `rect`.
void paintPanel(QPainter &painter, const QRectF &rect, const QPalette &palette, const QColor &fill);

/// A horizontal hairline in the separator colour, as wide as its parent allows.
class Divider : public QWidget
{
public:
    explicit Divider(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Tarn::PreviewStyle
