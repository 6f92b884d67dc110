#pragma once

// Character-level reading shared by the diagram parsers: blanks, identifiers and quoted
// strings over a statement held as code points, so that a letter outside the Basic
// Multilingual Plane counts as one character.

#include <QChar>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace Mermaid::Lexical {

inline std::u32string codePoints(const QString &text)
{
    const QList<uint> units = text.toUcs4();
    return std::u32string(units.cbegin(), units.cend());
}

inline QString toQString(std::u32string_view text)
{
    return QString::fromUcs4(text.data(), qsizetype(text.size()));
}

/// A space or a tab.
inline bool isBlank(char32_t c) { return c == U' ' || c == U'\t'; }

/// Any character the Unicode tables call whitespace.
inline bool isWhitespace(char32_t c) { return QChar::isSpace(c); }

inline bool isIdentifierStart(char32_t c) { return c == U'_' || QChar::isLetter(c); }

inline bool isIdentifierPart(char32_t c)
{
    return c == U'_' || c == U'-' || c == U'.' || QChar::isLetterOrNumber(c);
}

inline void skipBlanks(std::u32string_view text, size_t &pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
}

/// The identifier at pos (a letter or "_", then letters, digits, "_", "-" and "."), moving pos
/// past it; nothing, with pos unchanged, when pos holds no letter or "_".
inline std::optional<std::u32string_view> readIdentifier(std::u32string_view text, size_t &pos)
{
    if (pos >= text.size() || !isIdentifierStart(text[pos]))
        return std::nullopt;
    const size_t start = pos;
    ++pos;
    while (pos < text.size() && isIdentifierPart(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

/// From the double quote at pos: the text up to the next double quote, a backslash taking the
/// following character literally; untrimmed. pos ends after the closing quote, or at the end of
/// the text when there is none.
inline std::u32string readQuoted(std::u32string_view text, size_t &pos)
{
    std::u32string result;
    ++pos; // the opening quote
    while (pos < text.size()) {
        const char32_t c = text[pos++];
        if (c == U'"')
            return result;
        if (c == U'\\' && pos < text.size()) {
            result.push_back(text[pos++]);
            continue;
        }
        result.push_back(c);
    }
    return result;
}

} // namespace Mermaid::Lexical
