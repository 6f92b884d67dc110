#include <Tarn/MarkdownDocument.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace Tarn {

using Common::Result;
using Common::Unexpected;

QString documentReadErrorMessage(DocumentReadError error, const QString &fileName)
{
    const QString name = fileName.isEmpty()
                             ? QStringLiteral("The file")
                             : QStringLiteral("The file \u201c%1\u201d").arg(fileName);
    switch (error) {
    case DocumentReadError::fileReadCorruptFile:
        return QStringLiteral(
                   "%1 couldn\u2019t be opened because it isn\u2019t in the correct format.")
            .arg(name);
    case DocumentReadError::fileReadInapplicableStringEncoding:
        return QStringLiteral(
                   "%1 couldn\u2019t be opened because the text encoding of its contents "
                   "can\u2019t be determined.")
            .arg(name);
    }
    return name;
}

MarkdownDocument::MarkdownDocument(QObject *parent)
    : QObject(parent)
{
}

MarkdownDocument::MarkdownDocument(QString text, std::uint64_t revision, QObject *parent)
    : QObject(parent)
    , m_text(std::move(text))
    , m_revision(revision)
{
}

void MarkdownDocument::setText(const QString &text)
{
    Q_EMIT textWillChange(text);
    m_text = text;
    ++m_revision; // unsigned: wraps to 0 after 2^64 - 1
    Q_EMIT textChanged(m_text);
}

static std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end is an error, not state kept for more input.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Strict UTF-16: an even number of bytes and every surrogate paired.
static std::optional<QString> decodeUtf16(const QByteArray &bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    qsizetype offset = 0;
    bool bigEndian = false;
    if (bytes.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        bigEndian = true;
        offset = 2;
    } else if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        offset = 2;
    }
    QString text;
    text.resize((bytes.size() - offset) / 2);
    QChar *out = text.data();
    for (qsizetype i = offset; i < bytes.size(); i += 2) {
        const char16_t unit = bigEndian ? char16_t(data[i] << 8 | data[i + 1])
                                        : char16_t(data[i + 1] << 8 | data[i]);
        *out++ = QChar(unit);
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return std::nullopt;
            ++i;
        } else if (c.isLowSurrogate()) {
            return std::nullopt;
        }
    }
    return text;
}

Result<QString, DocumentReadError> MarkdownDocument::decodeContents(const QByteArray &bytes)
{
    if (auto text = decodeUtf8(bytes))
        return std::move(*text);
    if (auto text = decodeUtf16(bytes))
        return std::move(*text);
    return Unexpected(DocumentReadError::fileReadInapplicableStringEncoding);
}

Result<QString, DocumentReadError> MarkdownDocument::readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return Unexpected(DocumentReadError::fileReadCorruptFile);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Unexpected(DocumentReadError::fileReadCorruptFile);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Unexpected(DocumentReadError::fileReadCorruptFile);
    return decodeContents(bytes);
}

QByteArray MarkdownDocument::encodeContents(const QString &snapshot) { return snapshot.toUtf8(); }

} // namespace Tarn
