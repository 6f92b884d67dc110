#pragma once

#include <Tarn/Outline.h>

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>

namespace Tarn {

class MarkdownDocument;

/// Keeps a window's outline in step with its document: parsed at once on creation, then again
/// in the background once the text has been quiet for a quarter of a second. Main thread only.
class DocumentOutlineModel : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds debounceInterval{250};

    explicit DocumentOutlineModel(MarkdownDocument *document, QObject *parent = nullptr);
    ~DocumentOutlineModel() override;

    const Outline &outline() const { return m_outline; }

Q_SIGNALS:
    void outlineChanged();
    /// The channel of section indices for the preview: the editor and the sidebar emit it,
    /// the preview listens. Nothing is kept for late listeners.
    void scrollToSection(qsizetype sectionIndex);

private:
    void textWillChange(const QString &newText);
    void reparse();
    void publishParse();

    QPointer<MarkdownDocument> m_document;
    Outline m_outline;
    QString m_lastText;
    QString m_pendingText;
    QTimer m_debounce;
    QFutureWatcher<Outline> m_parseTask;
};

} // namespace Tarn
