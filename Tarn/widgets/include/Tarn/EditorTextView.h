#pragma once

#include <Tarn/TextRange.h>

#include <QKeySequence>
#include <QList>
#include <QPlainTextEdit>
#include <QRectF>
#include <QString>

#include <map>

namespace Tarn {

/// The editor's text component: a plain-text view with the current line highlighted, named
/// undo steps and the application's command shortcuts taking precedence over its own key
/// bindings.
class EditorTextView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit EditorTextView(QWidget *parent = nullptr);

    /// The whole text in document coordinates (UTF-16, '\n' between lines), kept up to date
    /// on every change, so this is cheap. Unlike toPlainText() it keeps no-break spaces.
    QString text() const;
    TextRange selectedRange() const;
    /// Selects `range`, clamped to the text.
    void setSelectedRange(TextRange range);

    /// Replaces `range` (clamped to the text) by `replacement` as one undo step called
    /// `actionName`; the change notifications follow as for typing.
    void replaceAsUserEdit(TextRange range, const QString &replacement, const QString &actionName);

    /// "Undo" followed by the name of the step an undo would revert, when it has one.
    QString undoText() const;
    QString redoText() const;

    /// Key sequences of menu commands; the view never takes them for its own key bindings.
    static void setCommandShortcuts(QList<QKeySequence> shortcuts);

Q_SIGNALS:
    void undoRedoTextsChanged();

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct NamedStep
    {
        int startState = 0;
        QString name;
    };

    void highlightCurrentLine();
    QRectF caretLineInDocument() const;
    QColor currentLineColor() const;
    void contentsChange(int position, int removed, int added);
    QString rawText(int from, int to) const;
    void undoCommandAdded();
    int undoState() const;

    /// Named undo steps keyed by the undo state they end at.
    std::map<int, NamedStep> m_namedSteps;
    QString m_text;
    /// The caret's line as last highlighted, in document coordinates.
    QRectF m_highlightedLine;
    int m_lastUndoState = 0;
    bool m_isReplacing = false;
    int m_replaceStartState = 0;
};

} // namespace Tarn
