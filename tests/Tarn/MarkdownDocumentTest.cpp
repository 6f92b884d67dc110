#include <Tarn/MarkdownDocument.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <limits>

using Tarn::DocumentReadError;
using Tarn::MarkdownDocument;

namespace {

QByteArray utf16Bytes(const QString &text, bool bigEndian, bool withBom)
{
    QByteArray bytes;
    if (withBom)
        bytes += bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                           : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

} // namespace

TEST(MarkdownDocument, EveryAssignmentRaisesRevisionByOne)
{
    MarkdownDocument document;
    EXPECT_EQ(document.revision(), 0u);
    EXPECT_EQ(document.text(), QString());

    QSignalSpy before(&document, &MarkdownDocument::textWillChange);
    document.setText(QStringLiteral("same"));
    document.setText(QStringLiteral("same")); // equal text still counts and still notifies
    EXPECT_EQ(document.revision(), 2u);
    EXPECT_EQ(before.count(), 2);
}

TEST(MarkdownDocument, ObserversHearBeforeTheChange)
{
    MarkdownDocument document(QStringLiteral("old"));
    QString seenText;
    QString seenNew;
    QObject::connect(&document, &MarkdownDocument::textWillChange, &document,
                     [&](const QString &newText) {
                         seenText = document.text();
                         seenNew = newText;
                     });
    document.setText(QStringLiteral("new"));
    EXPECT_EQ(seenText, QStringLiteral("old"));
    EXPECT_EQ(seenNew, QStringLiteral("new"));
}

TEST(MarkdownDocument, RevisionWrapsAroundWithoutError)
{
    MarkdownDocument document(QString(), std::numeric_limits<std::uint64_t>::max());
    document.setText(QStringLiteral("x"));
    EXPECT_EQ(document.revision(), 0u);
    document.setText(QStringLiteral("y"));
    EXPECT_EQ(document.revision(), 1u);
}

TEST(MarkdownDocument, SnapshotIsIndependentOfLaterEdits)
{
    MarkdownDocument document(QStringLiteral("first"));
    const QString snapshot = document.snapshot();
    document.setText(QStringLiteral("second"));
    EXPECT_EQ(snapshot, QStringLiteral("first"));
}

struct DecodeCase
{
    const char *name;
    QByteArray bytes;
    std::optional<QString> expected; // nullopt: fileReadInapplicableStringEncoding
};

TEST(MarkdownDocument, DecodesUtf8ThenUtf16)
{
    const QString sample = QStringLiteral("# Gr\u00fc\u00dfe \U0001F600\r\n\ttrailing  \r\n");
    const DecodeCase cases[] = {
        {"empty", QByteArray(), QString()},
        {"utf8 crlf and trailing blanks", sample.toUtf8(), sample},
        {"utf8 nul bytes are text", QByteArray("a\0b", 3), QStringView(u"a\0b", 3).toString()},
        {"utf16le with bom", utf16Bytes(sample, false, true), sample},
        {"utf16be with bom", utf16Bytes(sample, true, true), sample},
        {"utf16le without bom", utf16Bytes(sample, false, false), sample},
        {"odd length, invalid utf8", QByteArray("\xFF\xFE\x41", 3), std::nullopt},
        {"lone byte 0xff", QByteArray("\xFF", 1), std::nullopt},
        {"truncated utf8 sequence, odd length", QByteArray("ab\xE2", 3), std::nullopt},
        {"invalid utf8 of even length is read as utf16le", QByteArray("ab\xE2\x82", 4),
         QString(QChar(0x6261)) + QChar(0x82E2)},
        {"unpaired surrogate in utf16", utf16Bytes(QString(QChar(0xD800)) + u'a', false, true),
         std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = MarkdownDocument::decodeContents(c.bytes);
        if (!c.expected) {
            ASSERT_FALSE(decoded.has_value());
            EXPECT_EQ(decoded.error(), DocumentReadError::fileReadInapplicableStringEncoding);
            continue;
        }
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, *c.expected);
    }
}

TEST(MarkdownDocument, RoundTripsFilesByteForByte)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray original = "---\r\ntitle: x\r\n---\r\n# Heading  \r\n\r\ntext\t\r\n";
    const QString path = dir.filePath(QStringLiteral("crlf.md"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(original);
    file.close();

    const auto text = MarkdownDocument::readFile(path);
    ASSERT_TRUE(text.has_value());
    MarkdownDocument document(*text);
    EXPECT_EQ(document.revision(), 0u);
    EXPECT_EQ(MarkdownDocument::encodeContents(document.snapshot()), original);
}

TEST(MarkdownDocument, Utf16InputIsSavedAsUtf8WithoutBom)
{
    const QString text = QStringLiteral("caf\u00e9\n");
    const auto decoded = MarkdownDocument::decodeContents(utf16Bytes(text, false, true));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(MarkdownDocument::encodeContents(*decoded), QByteArray("caf\xC3\xA9\n"));
}

TEST(MarkdownDocument, DirectoryAndMissingFilesAreCorrupt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString &path : {dir.path(), dir.filePath(QStringLiteral("missing.md"))}) {
        SCOPED_TRACE(path.toStdString());
        const auto result = MarkdownDocument::readFile(path);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), DocumentReadError::fileReadCorruptFile);
    }
}
