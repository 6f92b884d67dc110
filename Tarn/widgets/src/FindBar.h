#pragma once

#include <QPointer>
#include <QTextDocument>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QCheckBox;

namespace Tarn {

class EditorTextView;

/// The editor's find bar: incremental find, next and previous with wrap-around, and an
/// optional replace row.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(EditorTextView *textView, QWidget *parent = nullptr);

    void showFind();
    void showFindAndReplace();
    void findNext();
    void findPrevious();
    void useSelectionForFind();
    void replace();
    void replaceAll();
    void dismiss();

    QString searchText() const;
    void setSearchText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showBar(bool withReplace);
    bool find(QTextDocument::FindFlags flags, bool fromSelectionStart);
    QTextDocument::FindFlags baseFlags() const;
    void setStatus(const QString &status);

    QPointer<EditorTextView> m_textView;
    QLineEdit *m_findField = nullptr;
    QLineEdit *m_replaceField = nullptr;
    QWidget *m_replaceRow = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QLabel *m_status = nullptr;
};

} // namespace Tarn
