#pragma once

#include <Tarn/Result.h>

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

namespace Tarn {

/// Why a file could not be read into a document.
enum class DocumentReadError {
    fileReadCorruptFile,               ///< no regular-file contents (a directory, unreadable)
    fileReadInapplicableStringEncoding ///< neither UTF-8 nor UTF-16
};

/// The message shown to the user for a read error; names the file when a name is given.
QString documentReadErrorMessage(DocumentReadError error, const QString &fileName = {});

/// The model of one open Markdown file: its whole text and a change counter.
/// Lives on the main thread; observers hear of each change before it happens.
class MarkdownDocument : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)

public:
    explicit MarkdownDocument(QObject *parent = nullptr);
    /// A document holding `text`, counting changes from `revision` (0 for a new or opened file).
    explicit MarkdownDocument(QString text, std::uint64_t revision = 0, QObject *parent = nullptr);

    const QString &text() const { return m_text; }
    /// Every assignment counts, even of an equal string; the counter wraps at 2^64.
    void setText(const QString &text);

    std::uint64_t revision() const { return m_revision; }

    /// An independent copy of the text for writing out.
    QString snapshot() const { return m_text; }

    /// Decodes file contents: UTF-8 when valid, else UTF-16 (byte order from a byte-order mark,
    /// little-endian without one), else fileReadInapplicableStringEncoding.
    static Common::Result<QString, DocumentReadError> decodeContents(const QByteArray &bytes);
    /// Reads and decodes a regular file; a directory or unreadable file is fileReadCorruptFile.
    static Common::Result<QString, DocumentReadError> readFile(const QString &path);
    /// The bytes written for a snapshot: UTF-8 without a byte-order mark, line endings untouched.
    static QByteArray encodeContents(const QString &snapshot);

Q_SIGNALS:
    /// Emitted before the text changes, with the text about to be assigned.
    void textWillChange(const QString &newText);
    void textChanged(const QString &text);

private:
    QString m_text;
    std::uint64_t m_revision = 0;
};

} // namespace Tarn
