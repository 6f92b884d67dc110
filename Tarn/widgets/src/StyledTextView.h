#pragma once

#include <Tarn/MarkdownRenderer.h>

#include <QWidget>

class QTextDocument;

namespace Tarn {

/// Selectable styled text drawn from preview runs: wraps to its width (or not, for code), opens
/// links with the desktop's handler and copies the selection. Colours are resolved from the
/// palette whenever it changes, so inline code and links follow the appearance.
class StyledTextView : public QWidget
{
    Q_OBJECT

public:
    enum class Colour { primary, secondary };

    struct Style
    {
        QFont font;
        Colour colour = Colour::primary;
        bool wraps = true;
        double lineSpacing = 0; ///< extra points between lines
    };

    StyledTextView(MDStyledText runs, Style style, QWidget *parent = nullptr);
    /// Plain text in the style's font.
    StyledTextView(const QString &plainText, Style style, QWidget *parent = nullptr);

    /// Shows new runs in the same style; the selection is cleared. The layout around the view
    /// is asked again only when the height changes.
    void setRuns(MDStyledText runs);

    /// The text as shown, lines separated by "\n".
    QString plainText() const;
    QString selectedText() const;
    /// The link under `point` (widget coordinates), empty when none.
    QString linkAt(const QPointF &point) const;
    const QTextDocument *document() const { return m_document; }

    bool hasHeightForWidth() const override { return m_style.wraps; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void rebuildDocument();
    int positionAt(const QPointF &point) const;
    void copySelection() const;

    MDStyledText m_runs;
    Style m_style;
    QTextDocument *m_document = nullptr;
    int m_anchor = -1;
    int m_position = -1;
    QString m_pressedLink;
    // Layouts ask for the height at the same few widths over and over; laying the text out
    // again each time is what costs.
    mutable int m_measuredWidth = -1;
    mutable int m_measuredHeight = 0;
    bool m_dragging = false;
};

} // namespace Tarn
