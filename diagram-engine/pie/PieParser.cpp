#include "PieParser.h"

#include <QStringList>

#include <locale.h>
#include <optional>
#include <stdlib.h>

namespace Mermaid {

namespace {

struct NumberedLine
{
    QString text;
    int number = 0;
};

QList<NumberedLine> nonEmptyTrimmedLines(const QString &text)
{
    QList<NumberedLine> lines;
    const QStringList raw = text.split(u'\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QString trimmed = raw[i].trimmed();
        if (!trimmed.isEmpty())
            lines.push_back({std::move(trimmed), static_cast<int>(i + 1)});
    }
    return lines;
}

bool startsWithIgnoringCase(const QString &text, QLatin1StringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

// The whole text read as a C-locale floating-point number, as strtod reads it (signs,
// exponents, hexadecimal forms, inf and nan included). The application sets the C library's
// locale from the environment, so the C locale is asked for explicitly.
std::optional<double> wholeNumber(const QString &text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || cLocale == nullptr)
        return std::nullopt;
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale);
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

QString unquotedLabel(const QString &label)
{
    if (label.size() > 1 && label.startsWith(u'"') && label.endsWith(u'"'))
        return label.sliced(1, label.size() - 2);
    return label;
}

// The words after "pie" on the header line: an optional showData, then an optional title.
std::optional<QString> headerTitle(const QString &header)
{
    QString options = header.sliced(3).trimmed();
    if (options.isEmpty())
        return std::nullopt;
    if (startsWithIgnoringCase(options, QLatin1StringView("showdata")))
        options = options.sliced(8).trimmed();
    if (startsWithIgnoringCase(options, QLatin1StringView("title ")))
        return options.sliced(6).trimmed();
    if (!options.isEmpty() && !startsWithIgnoringCase(options, QLatin1StringView("showdata")))
        return options;
    return std::nullopt;
}

} // namespace

Tarn::Common::Result<PieChart, MermaidError> PieParser::parse(const QString &text)
{
    const QList<NumberedLine> lines = nonEmptyTrimmedLines(text);
    if (lines.isEmpty())
        return Tarn::Common::Unexpected(
            MermaidError::parse(QStringLiteral("Empty pie chart source"), 0));

    const NumberedLine &header = lines.front();
    if (header.text.compare(QLatin1StringView("pie"), Qt::CaseInsensitive) != 0
        && !startsWithIgnoringCase(header.text, QLatin1StringView("pie ")))
        return Tarn::Common::Unexpected(
            MermaidError::parse(QStringLiteral("Expected `pie` header"), header.number));

    PieChart chart;
    chart.title = headerTitle(header.text);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const NumberedLine &line = lines[i];
        if (startsWithIgnoringCase(line.text, QLatin1StringView("title "))) {
            chart.title = line.text.sliced(6).trimmed();
            continue;
        }
        if (line.text.compare(QLatin1StringView("showdata"), Qt::CaseInsensitive) == 0)
            continue;
        const qsizetype colon = line.text.lastIndexOf(u':');
        if (colon < 0)
            continue;
        const auto value = wholeNumber(line.text.sliced(colon + 1).trimmed());
        if (!value)
            return Tarn::Common::Unexpected(
                MermaidError::parse(QStringLiteral("Slice value must be a number"), line.number));
        chart.slices.push_back({unquotedLabel(line.text.first(colon).trimmed()), *value});
    }
    return chart;
}

} // namespace Mermaid
