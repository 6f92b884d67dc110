#pragma once

#include <Tarn/Outline.h>

#include <QPointer>
#include <QScrollArea>

#include <optional>
#include <vector>

class QPropertyAnimation;

namespace Tarn {

class DocumentOutlineModel;
class MarkdownRendererView;

/// The preview column: the window's outline rendered natively, one row per section, each row
/// tagged with its section anchor. Rows are built only when they come near the visible area
/// and kept afterwards; a new outline rebuilds only the sections whose text changed. Scrolls
/// to a section whenever the outline model asks. Main thread only.
class PreviewView : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int padding = 16;
    static constexpr int scrollMilliseconds = 200;

    explicit PreviewView(DocumentOutlineModel *outline, QWidget *parent = nullptr);
    ~PreviewView() override;

    /// "section-" followed by the index in decimal.
    static QString sectionAnchor(qsizetype index);

    qsizetype sectionCount() const { return qsizetype(m_rows.size()); }
    /// The anchor of every section, in order.
    QStringList sectionAnchors() const;
    /// The row of a section once built; null while it has not come into view or for an
    /// unknown index.
    MarkdownRendererView *sectionRow(qsizetype index) const;
    /// The row of a section, built now if it was not; null for an unknown index.
    MarkdownRendererView *buildSectionRow(qsizetype index);
    /// Where the section starts in the scrolled content; nothing for an unknown index.
    std::optional<int> sectionTop(qsizetype index) const;

    /// Animates the scroll so that the section's anchor reaches the top of the view; false
    /// and no scrolling for an unknown index.
    bool scrollToSection(qsizetype index);
    QPropertyAnimation *scrollAnimation() const { return m_scrollAnimation; }

    /// Shows `outline`, keeping the rows of every section whose text did not change.
    void showOutline(const Outline &outline);
    /// Shows `outline` with every row built afresh.
    void rebuild(const Outline &outline);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row
    {
        QString text;
        qsizetype sourceLocation = 0; ///< where the text starts in the shown source
        int height = 0;
        int top = 0;
        QPointer<MarkdownRendererView> view;
    };

    /// A row and how far into it the top of the view is.
    struct ScrollAnchor
    {
        qsizetype row = 0;
        int offset = 0;
    };

    Row makeRow(const QString &text) const;
    std::optional<ScrollAnchor> currentAnchor() const;
    void buildRow(qsizetype index);
    void discardRow(Row &row);
    void relayout();
    /// Records where each row's text sits in `outline`, the outline now shown.
    void rememberShownOutline(const Outline &outline);
    /// Lays the rows out again, keeping `anchor` where it is in the view.
    void relayout(std::optional<ScrollAnchor> anchor);
    void scheduleRelayout();
    void buildVisibleRows();
    qsizetype rowAt(int y) const;
    int innerWidth() const;

    QPointer<DocumentOutlineModel> m_outline;
    QWidget *m_stack = nullptr;
    std::vector<Row> m_rows;
    QString m_shownSource; ///< the text of the outline shown, for finding what an edit changed
    QPropertyAnimation *m_scrollAnimation = nullptr;
    bool m_relayoutScheduled = false;
    bool m_inRelayout = false;
};

} // namespace Tarn
