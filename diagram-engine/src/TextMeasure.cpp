#include "ShapedLine.h"

#include <Mermaid/TextMeasure.h>

#include <QFontMetricsF>
#include <QMutex>
#include <QMutexLocker>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

namespace Mermaid {

namespace {

// Fonts are set at the face's units per em when it is in this range, so that Qt's whole-pixel
// rounding of the vertical metrics falls on whole design units; otherwise at the fallback.
constexpr int minimumReferencePixelSize = 256;
constexpr int maximumReferencePixelSize = 4096;
constexpr int fallbackReferencePixelSize = 2048;

std::unique_ptr<PlatformFont> createPlatformFont(const FontSpec &request)
{
    QFont font(request.family);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    if (request.weight == FontSpec::Weight::bold)
        font.setBold(true);
    if (request.italic)
        font.setItalic(true);

    font.setPixelSize(fallbackReferencePixelSize);
    const int unitsPerEm = static_cast<int>(QRawFont::fromFont(font).unitsPerEm());
    if (unitsPerEm >= minimumReferencePixelSize && unitsPerEm <= maximumReferencePixelSize)
        font.setPixelSize(unitsPerEm);

    auto platform = std::make_unique<PlatformFont>();
    platform->font = font;
    if (std::isfinite(request.size) && request.size > 0)
        platform->scale = request.size / font.pixelSize();
    const QFontMetricsF metrics(font);
    platform->ascent = std::max(metrics.ascent() * platform->scale, 0.0);
    platform->descent = std::max(metrics.descent() * platform->scale, 0.0);
    platform->leading = std::max(metrics.leading() * platform->scale, 0.0);
    return platform;
}

struct FontSpecHash
{
    size_t operator()(const FontSpec &font) const noexcept { return qHash(font); }
};

QString normalizedLineBreaks(const QString &text)
{
    QString normalized = text;
    for (const char *spelling : {"<br/>", "<br />", "<br>", "<BR/>", "<BR />", "<BR>"})
        normalized.replace(QLatin1StringView(spelling), QLatin1StringView("\n"));
    normalized.replace(QLatin1StringView("\\n"), QLatin1StringView("\n"));
    return normalized;
}

} // namespace

const PlatformFont &TextMeasure::platformFont(const FontSpec &font)
{
    // Entries are never removed and live on the heap, so references handed out stay valid.
    static QMutex mutex;
    static std::unordered_map<FontSpec, std::unique_ptr<const PlatformFont>, FontSpecHash> cache;
    // Sizes that cannot be drawn share one entry: a NaN size would never find itself again.
    FontSpec key = font;
    if (!(std::isfinite(key.size) && key.size > 0))
        key.size = 0;
    const QMutexLocker locker(&mutex);
    auto &entry = cache[key];
    if (!entry)
        entry = createPlatformFont(key);
    return *entry;
}

TextMeasure::Line TextMeasure::measureLine(const QString &text, const FontSpec &font)
{
    const PlatformFont &platform = platformFont(font);
    const ShapedLine shaped(text, platform);
    return {text, std::max(shaped.width(), 0.0), std::max(shaped.ascent(), platform.ascent),
            std::max(shaped.descent(), platform.descent),
            std::max(shaped.leading(), platform.leading)};
}

QList<TextMeasure::Line> TextMeasure::wrapLine(const QString &text, const FontSpec &font,
                                               double maxWidth)
{
    const PlatformFont &platform = platformFont(font);
    QList<Line> lines;
    QString current;
    for (const QString &word : text.split(u' ', Qt::KeepEmptyParts)) {
        const QString candidate = current.isEmpty() ? word : current + u' ' + word;
        const double width = ShapedLine(candidate, platform).width();
        if (maxWidth >= std::max(width, 0.0)) {
            current = candidate;
        } else if (!current.isEmpty()) {
            lines.push_back(measureLine(current, font));
            current = word;
        } else {
            current = candidate; // a single word wider than maxWidth stays whole
        }
    }
    if (!current.isEmpty() || lines.isEmpty())
        lines.push_back(measureLine(current, font));
    return lines;
}

TextMeasure::Block TextMeasure::measureBlock(const QString &text, const FontSpec &font,
                                             std::optional<double> maxWidth, double lineSpacing)
{
    const bool wraps = maxWidth && *maxWidth > 0;
    Block block;
    for (const QString &sourceLine : normalizedLineBreaks(text).split(u'\n')) {
        if (wraps)
            block.lines += wrapLine(sourceLine, font, *maxWidth);
        else
            block.lines.push_back(measureLine(sourceLine, font));
    }
    if (block.lines.isEmpty())
        block.lines.push_back(measureLine(QString(), font));

    const PlatformFont &platform = platformFont(font);
    block.lineHeight = lineSpacing * (platform.ascent + platform.descent + platform.leading);
    double widest = 0;
    for (const Line &line : std::as_const(block.lines))
        widest = std::max(widest, line.width);
    block.size = {std::ceil(widest), std::ceil(block.lines.size() * block.lineHeight)};
    block.firstBaseline
        = (block.lineHeight - (platform.ascent + platform.descent)) / 2 + platform.ascent;
    return block;
}

} // namespace Mermaid
