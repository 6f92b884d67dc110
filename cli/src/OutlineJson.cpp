#include "OutlineJson.h"

namespace Tarn::Cli {

namespace {

void appendJsonString(QByteArray &json, const QString &text)
{
    json += '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            json += "\\\"";
            continue;
        case u'\\':
            json += "\\\\";
            continue;
        case u'\n':
            json += "\\n";
            continue;
        case u'\r':
            json += "\\r";
            continue;
        case u'\t':
            json += "\\t";
            continue;
        default:
            break;
        }
        // Control characters and lone surrogates are escaped so the output stays valid.
        if (u < 0x20 || c.isSurrogate())
            json += QStringLiteral("\\u%1").arg(int(u), 4, 16, QChar(u'0')).toLatin1();
        else
            json += QString(c).toUtf8();
    }
    json += '"';
}

} // namespace

QByteArray outlineJson(const Outline &outline)
{
    QByteArray json = "{\"entries\":[";
    for (const auto &entry : outline.entries) {
        if (entry.id > 0)
            json += ',';
        json += "{\"id\":" + QByteArray::number(entry.id);
        json += ",\"level\":" + QByteArray::number(entry.level);
        json += ",\"title\":";
        appendJsonString(json, entry.title);
        json += ",\"sourceLocation\":" + QByteArray::number(entry.sourceLocation);
        json += ",\"sectionIndex\":" + QByteArray::number(entry.sectionIndex) + '}';
    }
    json += "],\"sections\":[";
    for (const auto &section : outline.sectionRanges) {
        if (section.id > 0)
            json += ',';
        json += "{\"id\":" + QByteArray::number(section.id);
        json += ",\"sourceLocation\":" + QByteArray::number(section.sourceLocation);
        json += ",\"length\":" + QByteArray::number(section.length) + '}';
    }
    json += "]}\n";
    return json;
}

QByteArray outlineText(const Outline &outline)
{
    QByteArray text;
    for (const auto &entry : outline.entries) {
        text += QByteArray(2 * (entry.level - 1), ' ');
        text += QByteArray(entry.level, '#') + ' ' + entry.title.toUtf8() + '\n';
    }
    return text;
}

} // namespace Tarn::Cli
