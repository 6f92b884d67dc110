#include "FindBar.h"

#include <Tarn/EditorTextView.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QToolButton>

namespace Tarn {

FindBar::FindBar(EditorTextView *textView, QWidget *parent)
    : QWidget(parent)
    , m_textView(textView)
{
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setPlaceholderText(tr("Find"));
    m_findField->setClearButtonEnabled(true);
    auto *previous = new QToolButton(this);
    previous->setText(QStringLiteral("\u25C0"));
    previous->setToolTip(tr("Find Previous"));
    auto *next = new QToolButton(this);
    next->setText(QStringLiteral("\u25B6"));
    next->setToolTip(tr("Find Next"));
    m_matchCase = new QCheckBox(tr("Match Case"), this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("findStatus"));
    auto *done = new QPushButton(tr("Done"), this);

    m_replaceRow = new QWidget(this);
    m_replaceField = new QLineEdit(m_replaceRow);
    m_replaceField->setObjectName(QStringLiteral("replaceField"));
    m_replaceField->setPlaceholderText(tr("Replace"));
    auto *replaceButton = new QPushButton(tr("Replace"), m_replaceRow);
    auto *replaceAllButton = new QPushButton(tr("All"), m_replaceRow);
    replaceAllButton->setToolTip(tr("Replace All"));

    auto *findRow = new QHBoxLayout;
    findRow->setContentsMargins(0, 0, 0, 0);
    findRow->addWidget(m_findField, 1);
    findRow->addWidget(previous);
    findRow->addWidget(next);
    findRow->addWidget(m_matchCase);
    findRow->addWidget(m_status);
    findRow->addWidget(done);
    auto *replaceLayout = new QHBoxLayout(m_replaceRow);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    replaceLayout->addWidget(m_replaceField, 1);
    replaceLayout->addWidget(replaceButton);
    replaceLayout->addWidget(replaceAllButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addLayout(findRow);
    layout->addWidget(m_replaceRow);

    connect(m_findField, &QLineEdit::textEdited, this, [this] {
        // Incremental: each edit of the search string searches again from the match start.
        if (m_findField->text().isEmpty()) {
            setStatus({});
            return;
        }
        find(baseFlags(), /*fromSelectionStart=*/true);
    });
    connect(m_findField, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(m_replaceField, &QLineEdit::returnPressed, this, &FindBar::replace);
    connect(next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(done, &QPushButton::clicked, this, &FindBar::dismiss);
    connect(replaceButton, &QPushButton::clicked, this, &FindBar::replace);
    connect(replaceAllButton, &QPushButton::clicked, this, &FindBar::replaceAll);
    hide();
}

QString FindBar::searchText() const { return m_findField->text(); }

void FindBar::setSearchText(const QString &text) { m_findField->setText(text); }

void FindBar::showBar(bool withReplace)
{
    m_replaceRow->setVisible(withReplace);
    show();
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void FindBar::showFind() { showBar(/*withReplace=*/false); }

void FindBar::showFindAndReplace() { showBar(/*withReplace=*/true); }

void FindBar::dismiss()
{
    hide();
    setStatus({});
    if (m_textView)
        m_textView->setFocus(Qt::OtherFocusReason);
}

QTextDocument::FindFlags FindBar::baseFlags() const
{
    return m_matchCase->isChecked() ? QTextDocument::FindCaseSensitively
                                    : QTextDocument::FindFlags();
}

void FindBar::setStatus(const QString &status) { m_status->setText(status); }

bool FindBar::find(QTextDocument::FindFlags flags, bool fromSelectionStart)
{
    if (!m_textView)
        return false;
    const QString needle = m_findField->text();
    if (needle.isEmpty()) {
        showFind();
        return false;
    }
    QTextDocument *document = m_textView->document();
    const QTextCursor current = m_textView->textCursor();
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    int from = backward ? current.selectionStart() : current.selectionEnd();
    if (fromSelectionStart)
        from = current.selectionStart();
    QTextCursor match = document->find(needle, from, flags);
    if (match.isNull()) {
        // Wrap around once.
        match = backward ? document->find(needle, document->characterCount() - 1, flags)
                         : document->find(needle, 0, flags);
    }
    if (match.isNull()) {
        setStatus(tr("Not found"));
        return false;
    }
    setStatus({});
    m_textView->setTextCursor(match);
    m_textView->ensureCursorVisible();
    return true;
}

void FindBar::findNext()
{
    if (m_findField->text().isEmpty()) {
        showFind();
        return;
    }
    find(baseFlags(), /*fromSelectionStart=*/false);
}

void FindBar::findPrevious()
{
    if (m_findField->text().isEmpty()) {
        showFind();
        return;
    }
    find(baseFlags() | QTextDocument::FindBackward, /*fromSelectionStart=*/false);
}

void FindBar::useSelectionForFind()
{
    if (!m_textView)
        return;
    QString selected = m_textView->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    if (selected.isEmpty())
        return;
    m_findField->setText(selected);
}

void FindBar::replace()
{
    if (!m_textView || m_findField->text().isEmpty())
        return;
    QTextCursor cursor = m_textView->textCursor();
    const Qt::CaseSensitivity sensitivity
        = m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection()
        && QString::compare(cursor.selectedText(), m_findField->text(), sensitivity) == 0) {
        cursor.insertText(m_replaceField->text());
        m_textView->setTextCursor(cursor);
    }
    findNext();
}

void FindBar::replaceAll()
{
    if (!m_textView || m_findField->text().isEmpty())
        return;
    QTextDocument *document = m_textView->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int replaced = 0;
    QTextCursor match = document->find(m_findField->text(), 0, baseFlags());
    while (!match.isNull()) {
        match.insertText(m_replaceField->text());
        ++replaced;
        match = document->find(m_findField->text(), match.position(), baseFlags());
    }
    edit.endEditBlock();
    setStatus(replaced == 0 ? tr("Not found") : tr("%n replaced", nullptr, replaced));
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace Tarn
