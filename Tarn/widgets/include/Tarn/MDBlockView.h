#pragma once

// Native views of preview blocks: one widget per block, nested blocks inside their parents.
// Text is selectable throughout; colours follow the appearance.

#include <Tarn/MarkdownRenderer.h>

#include <QWidget>

#include <vector>

namespace Tarn {

/// The text style a block inherits from where it stands: body text, a quote, a footnote.
struct MDTextContext
{
    double fontSize = 13;
    bool secondary = false;
};

/// One block.
class MDBlockView : public QWidget
{
    Q_OBJECT

public:
    explicit MDBlockView(const MDBlock &block, MDTextContext context = {},
                         QWidget *parent = nullptr);
};

/// The blocks of one piece of Markdown stacked with 14 points between them: one outline section
/// of the preview.
class MarkdownRendererView : public QWidget
{
    Q_OBJECT

public:
    explicit MarkdownRendererView(const QString &source, QWidget *parent = nullptr);

    const QString &source() const { return m_source; }
    /// Shows `source`, keeping the views of the blocks that did not change (an edited
    /// paragraph is redrawn; the diagram beside it is not).
    void setSource(const QString &source);
    /// The view of each block, in order.
    std::vector<MDBlockView *> blockViews() const { return m_views; }

private:
    QString m_source;
    std::vector<MDBlock> m_blocks;
    std::vector<MDBlockView *> m_views;
};

class MDListView : public QWidget
{
    Q_OBJECT

public:
    MDListView(const std::vector<MDListItem> &items, bool ordered, int start, MDTextContext context,
               QWidget *parent = nullptr);
};

class MDTableView : public QWidget
{
    Q_OBJECT

public:
    MDTableView(const std::vector<MDStyledText> &head,
                const std::vector<std::vector<MDStyledText>> &rows, MDTextContext context,
                QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<QWidget *> m_firstCells; ///< the first cell of every row, header first
};

class CodeBlockView : public QWidget
{
    Q_OBJECT

public:
    CodeBlockView(const std::optional<QString> &language, const QString &code,
                  QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class FrontMatterView : public QWidget
{
    Q_OBJECT

public:
    explicit FrontMatterView(const std::vector<FrontMatterPair> &pairs, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class FootnotesView : public QWidget
{
    Q_OBJECT

public:
    explicit FootnotesView(const std::vector<MDFootnote> &entries, QWidget *parent = nullptr);
};

} // namespace Tarn
