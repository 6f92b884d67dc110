#include "FlowchartParser.h"

#include "LexicalHelpers.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <climits>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace Mermaid {

namespace {

using namespace Lexical;
using Text = std::u32string_view;
using ParseResult = Tarn::Common::Result<Flowchart, MermaidError>;

// The working state of one parse; the result is taken from it at the end.
struct ParserState
{
    Flowchart chart;
    /// The open subgraphs, innermost last.
    QList<QString> subgraphStack;
    int subgraphAutoCounter = 0;
    /// "parent\nchild" for every child already listed; ids never hold a line feed.
    QSet<QString> childLinks;
};

struct NumberedPiece
{
    QString text;
    int line = 0;
};

QString trimmedString(Text text) { return toQString(text).trimmed(); }

bool startsWith(Text text, size_t pos, Text prefix)
{
    return text.size() >= pos && text.substr(pos).starts_with(prefix);
}

// ---- Node bookkeeping ----------------------------------------------------------------------

void ensureNode(ParserState &state, const QString &id)
{
    const QString *current = state.subgraphStack.isEmpty() ? nullptr : &state.subgraphStack.last();
    const auto found = state.chart.nodes.find(id);
    if (found == state.chart.nodes.end()) {
        FlowNode node{id, id, FlowNodeShape::rect, std::nullopt};
        if (current) {
            node.subgraphID = *current;
            state.chart.subgraphs[*current].nodeIDs.push_back(id);
        }
        state.chart.nodes.insert(id, std::move(node));
        state.chart.nodeOrder.push_back(id);
        return;
    }
    if (current && !found->subgraphID) {
        found->subgraphID = *current;
        state.chart.subgraphs[*current].nodeIDs.push_back(id);
    }
}

// The first explicit definition of a node wins.
void applyShape(ParserState &state, const QString &id, FlowNodeShape shape, const QString &label)
{
    ensureNode(state, id);
    FlowNode &node = state.chart.nodes[id];
    if (node.shape == FlowNodeShape::rect && node.label == node.id) {
        node.shape = shape;
        node.label = label;
        return;
    }
    if (!label.isEmpty() && node.label == node.id)
        node.label = label;
}

// ---- Shapes ----------------------------------------------------------------------------------

struct ShapeRead
{
    FlowNodeShape shape;
    QString label;
};

struct ShapeForm
{
    Text opening;
    Text closing;
    FlowNodeShape shape;
};

// Tested in this order; the slanted forms come between the cylinder and the hexagon.
constexpr ShapeForm shapeFormsBeforeSlanted[] = {
    {U"(((", U")))", FlowNodeShape::doubleCircle}, {U"((", U"))", FlowNodeShape::circle},
    {U"([", U"])", FlowNodeShape::stadium},        {U"[[", U"]]", FlowNodeShape::subroutine},
    {U"[(", U")]", FlowNodeShape::cylinder},
};
constexpr ShapeForm shapeFormsAfterSlanted[] = {
    {U"{{", U"}}", FlowNodeShape::hexagon},  {U"[", U"]", FlowNodeShape::rect},
    {U"(", U")", FlowNodeShape::roundRect},  {U"{", U"}", FlowNodeShape::rhombus},
    {U">", U"]", FlowNodeShape::asymmetric},
};

// Positions from which a shape's label scan is known to find no closing sequence, one set
// per closing sequence, so that a statement full of unclosed openers is read in linear time.
struct ShapeScanMemo
{
    static constexpr size_t slantedIndex = std::size(shapeFormsBeforeSlanted);
    std::array<std::vector<char>, slantedIndex + 1 + std::size(shapeFormsAfterSlanted)> failed;
};

// Label text from pos up to the place where `closingLength` reports a closing sequence (its
// length, 0 for none). Double-quoted segments are taken verbatim without their quotes. On
// success pos is at the closing sequence; without one, nothing.
template <typename ClosingLength>
std::optional<std::u32string> collectShapeLabel(Text text, size_t &pos, ClosingLength closingLength,
                                                std::vector<char> &failed)
{
    if (failed.empty())
        failed.assign(text.size() + 1, 0);
    std::u32string label;
    size_t p = pos;
    while (p < text.size() && !failed[p]) {
        if (text[p] == U'"') {
            const size_t quoteEnd = text.find(U'"', p + 1);
            if (quoteEnd == Text::npos)
                break;
            label.append(text.substr(p + 1, quoteEnd - p - 1));
            p = quoteEnd + 1;
            continue;
        }
        if (closingLength(p) > 0) {
            pos = p;
            return label;
        }
        label.push_back(text[p++]);
    }
    // Every position this scan passed outside quotes would fail the same way.
    for (size_t m = pos; m < text.size() && !failed[m];) {
        failed[m] = 1;
        if (text[m] != U'"') {
            ++m;
            continue;
        }
        const size_t quoteEnd = text.find(U'"', m + 1);
        if (quoteEnd == Text::npos)
            break;
        m = quoteEnd + 1;
    }
    return std::nullopt;
}

std::optional<ShapeRead> readSlantedShape(Text text, size_t &pos, ShapeScanMemo &memo)
{
    const bool forwardOpening = text[pos + 1] == U'/';
    size_t p = pos + 2;
    const auto label = collectShapeLabel(
        text, p,
        [&](size_t at) -> size_t {
            const bool slash = text[at] == U'/' || text[at] == U'\\';
            return slash && at + 1 < text.size() && text[at + 1] == U']' ? 2 : 0;
        },
        memo.failed[ShapeScanMemo::slantedIndex]);
    if (!label)
        return std::nullopt;
    const bool forwardClosing = text[p] == U'/';
    FlowNodeShape shape = FlowNodeShape::parallelogramFwd;
    if (forwardOpening && !forwardClosing)
        shape = FlowNodeShape::trapezoid;
    else if (!forwardOpening && forwardClosing)
        shape = FlowNodeShape::trapezoidInv;
    else if (!forwardOpening)
        shape = FlowNodeShape::parallelogramBack;
    pos = p + 2;
    return ShapeRead{shape, trimmedString(*label)};
}

std::optional<ShapeRead> readShapeForm(Text text, size_t &pos, const ShapeForm &form,
                                       std::vector<char> &failed)
{
    size_t p = pos + form.opening.size();
    const auto label = collectShapeLabel(
        text, p,
        [&](size_t at) -> size_t {
            return startsWith(text, at, form.closing) ? form.closing.size() : 0;
        },
        failed);
    if (!label)
        return std::nullopt;
    pos = p + form.closing.size();
    return ShapeRead{form.shape, trimmedString(*label)};
}

// The shape whose opening sequence stands at pos decides; when its closing sequence is missing
// there is no shape and pos stays where it was.
std::optional<ShapeRead> readShape(Text text, size_t &pos, ShapeScanMemo &memo)
{
    size_t index = 0;
    for (const auto &form : shapeFormsBeforeSlanted) {
        if (startsWith(text, pos, form.opening))
            return readShapeForm(text, pos, form, memo.failed[index]);
        ++index;
    }
    if (startsWith(text, pos, U"[/") || startsWith(text, pos, U"[\\"))
        return readSlantedShape(text, pos, memo);
    ++index;
    for (const auto &form : shapeFormsAfterSlanted) {
        if (startsWith(text, pos, form.opening))
            return readShapeForm(text, pos, form, memo.failed[index]);
        ++index;
    }
    return std::nullopt;
}

// ---- Node references and groups --------------------------------------------------------------

// Reads an identifier with its optional shape and ":::" class; false when no identifier starts
// after the blanks (pos is then past the blanks only).
bool readNodeReference(ParserState &state, Text text, size_t &pos, QList<QString> &ids,
                       ShapeScanMemo &memo)
{
    skipBlanks(text, pos);
    const auto identifier = readIdentifier(text, pos);
    if (!identifier)
        return false;
    const QString id = toQString(*identifier);
    ensureNode(state, id);
    if (const auto shape = readShape(text, pos, memo))
        applyShape(state, id, shape->shape, shape->label);
    if (startsWith(text, pos, U":::")) {
        pos += 3;
        (void)readIdentifier(text, pos); // a class name, ignored
    }
    ids.push_back(id);
    return true;
}

// A node reference followed by any number of "& reference"; empty when none starts at pos.
QList<QString> readNodeGroup(ParserState &state, Text text, size_t &pos, ShapeScanMemo &memo)
{
    QList<QString> ids;
    if (!readNodeReference(state, text, pos, ids, memo))
        return ids;
    for (;;) {
        size_t p = pos;
        skipBlanks(text, p);
        if (p >= text.size() || text[p] != U'&')
            break;
        ++p;
        skipBlanks(text, p);
        if (!readNodeReference(state, text, p, ids, memo))
            break;
        pos = p;
    }
    return ids;
}

// ---- Edge operators ----------------------------------------------------------------------------

struct EdgeOperator
{
    FlowEdgeKind kind = FlowEdgeKind::solid;
    FlowArrow arrowStart = FlowArrow::none;
    FlowArrow head = FlowArrow::none;
    int length = 1;
};

int clampedLength(long long value) { return int(std::clamp<long long>(value, 1, INT_MAX)); }

std::optional<EdgeOperator> parseEdgeOperator(Text text, size_t &pos, bool allowStartArrow)
{
    size_t p = pos;
    EdgeOperator result;
    if (allowStartArrow && p < text.size() && text[p] == U'<') {
        result.arrowStart = FlowArrow::arrow;
        ++p;
    }
    if (p >= text.size() || (text[p] != U'-' && text[p] != U'='))
        return std::nullopt;
    const char32_t lineCharacter = text[p];
    long long lines = 0;
    long long dots = 0;
    while (p < text.size()) {
        if (text[p] == lineCharacter)
            ++lines;
        else if (lineCharacter == U'-' && text[p] == U'.')
            ++dots;
        else
            break;
        ++p;
    }
    if (lines + dots < 2)
        return std::nullopt;
    if (lineCharacter == U'=')
        result.kind = FlowEdgeKind::thick;
    else if (dots > 0)
        result.kind = FlowEdgeKind::dotted;
    if (p < text.size()) {
        switch (text[p]) {
        case U'>':
            result.head = FlowArrow::arrow;
            break;
        case U'o':
            result.head = FlowArrow::circle;
            break;
        case U'x':
            result.head = FlowArrow::cross;
            break;
        default:
            break;
        }
        if (result.head != FlowArrow::none)
            ++p;
    }
    if (result.kind == FlowEdgeKind::dotted)
        result.length = clampedLength(dots);
    else if (result.head != FlowArrow::none)
        result.length = clampedLength(lines - 1);
    else
        result.length = clampedLength(lines - 2);
    pos = p;
    return result;
}

// The run of operator characters starting at pos: "-" runs count "-" and ".", "=" runs only
// "=", "." runs only ".".
size_t operatorRunLength(Text text, size_t pos)
{
    const char32_t first = text[pos];
    size_t p = pos;
    while (p < text.size()) {
        const char32_t c = text[p];
        const bool inRun = first == U'-' ? (c == U'-' || c == U'.') : c == first;
        if (!inRun)
            break;
        ++p;
    }
    return p - pos;
}

// The text between the two halves of an inline label (A -- text --> B): stops at a run of two
// or more operator characters or at a single ".", and keeps single "-" and "=".
QString collectInlineLabel(Text text, size_t &pos)
{
    std::u32string label;
    while (pos < text.size()) {
        const char32_t c = text[pos];
        if (c == U'-' || c == U'=' || c == U'.') {
            if (c == U'.' || operatorRunLength(text, pos) >= 2)
                break;
        }
        label.push_back(c);
        ++pos;
    }
    return trimmedString(label);
}

// After "|": the text up to the next "|" (trimmed), or the rest of the statement without one.
QString readPipeLabel(Text text, size_t &pos)
{
    const size_t start = pos + 1;
    const size_t close = text.find(U'|', start);
    if (close == Text::npos) {
        pos = text.size();
        return trimmedString(text.substr(start));
    }
    pos = close + 1;
    return trimmedString(text.substr(start, close - start));
}

// ---- Chains ------------------------------------------------------------------------------------

struct Link
{
    FlowEdgeKind kind = FlowEdgeKind::solid;
    FlowArrow arrowStart = FlowArrow::none;
    FlowArrow arrowEnd = FlowArrow::none;
    std::optional<QString> label;
    int length = 1;
};

// The link between two node groups at pos; nothing when the chain ends here.
std::optional<Link> readLink(Text text, size_t &pos)
{
    const auto opening = parseEdgeOperator(text, pos, /*allowStartArrow=*/true);
    if (!opening)
        return std::nullopt;
    Link link{opening->kind, opening->arrowStart, opening->head, std::nullopt, opening->length};
    if (opening->head != FlowArrow::none) {
        skipBlanks(text, pos);
        if (pos < text.size() && text[pos] == U'|')
            link.label = readPipeLabel(text, pos);
        return link;
    }

    const size_t afterOpening = pos;
    skipBlanks(text, pos);
    const QString inlineText = collectInlineLabel(text, pos);
    skipBlanks(text, pos);
    if (const auto closing = parseEdgeOperator(text, pos, /*allowStartArrow=*/false)) {
        link.arrowEnd = closing->head;
        link.length = std::max(opening->length, closing->length);
        if (!inlineText.isEmpty())
            link.label = inlineText;
        return link;
    }
    if (opening->kind != FlowEdgeKind::solid || opening->arrowStart != FlowArrow::none)
        return std::nullopt;
    // An open link (A --- B): the text read was the target, not a label.
    pos = afterOpening;
    skipBlanks(text, pos);
    if (pos < text.size() && text[pos] == U'|')
        link.label = readPipeLabel(text, pos);
    link.arrowStart = FlowArrow::none;
    link.arrowEnd = FlowArrow::none;
    return link;
}

std::optional<MermaidError> parseChain(ParserState &state, Text text, int line)
{
    size_t pos = 0;
    ShapeScanMemo memo;
    QList<QString> sources = readNodeGroup(state, text, pos, memo);
    if (sources.isEmpty())
        return std::nullopt;
    for (;;) {
        skipBlanks(text, pos);
        if (pos >= text.size())
            return std::nullopt;
        const auto link = readLink(text, pos);
        if (!link)
            return std::nullopt;
        skipBlanks(text, pos);
        QList<QString> targets = readNodeGroup(state, text, pos, memo);
        if (targets.isEmpty())
            return MermaidError::parse(QStringLiteral("Edge has no destination"), line);
        for (const QString &from : std::as_const(sources)) {
            for (const QString &to : std::as_const(targets)) {
                state.chart.edges.push_back({from, to, link->kind, link->arrowStart, link->arrowEnd,
                                             link->label, link->length});
            }
        }
        sources = std::move(targets);
    }
}

// ---- Subgraphs -------------------------------------------------------------------------------

void openSubgraph(ParserState &state, Text text, size_t pos)
{
    std::optional<QString> writtenID;
    std::optional<QString> title;
    skipBlanks(text, pos);
    if (pos < text.size() && text[pos] == U'"') {
        title = toQString(readQuoted(text, pos));
    } else {
        if (const auto identifier = readIdentifier(text, pos))
            writtenID = toQString(*identifier);
        skipBlanks(text, pos);
        if (pos < text.size() && text[pos] == U'[') {
            ShapeScanMemo memo;
            const auto shape = readShape(text, pos, memo);
            title = shape ? shape->label : QString();
        } else if (pos < text.size() && text[pos] == U'"') {
            title = toQString(readQuoted(text, pos));
        }
    }

    QString id;
    if (writtenID) {
        id = *writtenID;
    } else {
        ++state.subgraphAutoCounter;
        id = QStringLiteral("__subgraph") + QString::number(state.subgraphAutoCounter);
    }
    if (state.chart.subgraphs.contains(id)) {
        state.subgraphStack.push_back(id);
        return;
    }
    FlowSubgraph subgraph;
    subgraph.id = id;
    subgraph.title = title ? title : writtenID;
    if (!state.subgraphStack.isEmpty())
        subgraph.parentID = state.subgraphStack.last();
    state.chart.subgraphs.insert(id, std::move(subgraph));
    state.chart.subgraphOrder.push_back(id);
    state.subgraphStack.push_back(id);
}

// True when `ancestor` is `id` or encloses it through parent links. The walk is bounded by the
// number of subgraphs, so a damaged chain cannot make it loop.
bool isSelfOrAncestor(const ParserState &state, const QString &ancestor, const QString &id)
{
    std::optional<QString> current = id;
    for (qsizetype steps = 0; current && steps <= state.chart.subgraphs.size(); ++steps) {
        if (*current == ancestor)
            return true;
        const auto found = state.chart.subgraphs.constFind(*current);
        if (found == state.chart.subgraphs.cend())
            return false;
        current = found->parentID;
    }
    return false;
}

void closeSubgraph(ParserState &state)
{
    if (state.subgraphStack.isEmpty())
        return;
    const QString closed = state.subgraphStack.takeLast();
    if (state.subgraphStack.isEmpty())
        return;
    const QString &parent = state.subgraphStack.last();
    // A reopened subgraph closed inside itself or one of its own descendants would make the
    // nesting circular; such a close links nothing. Only a changed parent can close a circle.
    if (state.chart.subgraphs[closed].parentID != parent && isSelfOrAncestor(state, closed, parent))
        return;
    // Closing a reopened subgraph again lists it once.
    const QString link = parent + u'\n' + closed;
    if (!state.childLinks.contains(link)) {
        state.childLinks.insert(link);
        state.chart.subgraphs[parent].childSubgraphIDs.push_back(closed);
    }
    state.chart.subgraphs[closed].parentID = parent;
}

// ---- Statements ------------------------------------------------------------------------------

bool isIgnoredKeyword(const QString &word)
{
    static const QStringList ignored = {
        QStringLiteral("classdef"),  QStringLiteral("class"),   QStringLiteral("style"),
        QStringLiteral("linkstyle"), QStringLiteral("click"),   QStringLiteral("acctitle"),
        QStringLiteral("accdescr"),  QStringLiteral("default"), QStringLiteral("interpolate"),
    };
    return ignored.contains(word);
}

std::optional<FlowDirection> directionWord(const QString &word)
{
    return flowDirectionFromRaw(word.toUpper());
}

// Drops the first ":::" with the class name behind it, up to the next whitespace.
std::u32string withoutFirstClass(Text text)
{
    const size_t marker = text.find(U":::");
    if (marker == Text::npos)
        return std::u32string(text);
    std::u32string result(text.substr(0, marker));
    for (size_t p = marker + 3; p < text.size(); ++p) {
        if (isWhitespace(text[p])) {
            result.append(text.substr(p));
            break;
        }
    }
    return result;
}

QList<std::u32string_view> whitespaceWords(Text text)
{
    QList<std::u32string_view> words;
    size_t p = 0;
    while (p < text.size()) {
        while (p < text.size() && isWhitespace(text[p]))
            ++p;
        const size_t start = p;
        while (p < text.size() && !isWhitespace(text[p]))
            ++p;
        if (p > start)
            words.push_back(text.substr(start, p - start));
    }
    return words;
}

std::optional<MermaidError> parseStatement(ParserState &state, const QString &statement, int line)
{
    const std::u32string codes = codePoints(statement);
    const Text text(codes);
    const QList<Text> words = whitespaceWords(text);
    if (words.isEmpty())
        return std::nullopt;
    const QString keyword = toQString(words.front()).toLower();
    if (isIgnoredKeyword(keyword))
        return std::nullopt;
    if (keyword == u"subgraph") {
        openSubgraph(state, text,
                     size_t(words.front().data() - text.data()) + words.front().size());
        return std::nullopt;
    }
    if (keyword == u"end") {
        closeSubgraph(state);
        return std::nullopt;
    }
    if (keyword == u"direction") {
        if (words.size() < 2)
            return std::nullopt;
        const auto direction = directionWord(toQString(words[1]));
        if (!direction)
            return std::nullopt;
        if (state.subgraphStack.isEmpty())
            state.chart.direction = *direction;
        else
            state.chart.subgraphs[state.subgraphStack.last()].direction = *direction;
        return std::nullopt;
    }
    const std::u32string chain = withoutFirstClass(text);
    return parseChain(state, chain, line);
}

std::optional<MermaidError> parseHeader(ParserState &state, const NumberedPiece &header)
{
    const std::u32string codes = codePoints(header.text);
    const Text text(codes);
    size_t pos = 0;
    const auto word = readIdentifier(text, pos);
    if (!word)
        return MermaidError::parse(QStringLiteral("Expected `flowchart` or `graph`"), header.line);
    const QString keyword = toQString(*word).toLower();
    if (keyword != u"flowchart" && keyword != u"graph" && keyword != u"flowchart-elk")
        return MermaidError::parse(
            QStringLiteral("Expected `flowchart` or `graph`, got `") + keyword + u'`', header.line);
    skipBlanks(text, pos);
    if (const auto directionName = readIdentifier(text, pos)) {
        if (const auto direction = directionWord(toQString(*directionName)))
            state.chart.direction = *direction;
    }
    skipBlanks(text, pos);
    const QString rest = trimmedString(text.substr(pos));
    if (rest.isEmpty())
        return std::nullopt;
    return parseStatement(state, rest, header.line);
}

// Cuts the line before its first " %%" comment.
QString withoutComment(const QString &line)
{
    const qsizetype comment = line.indexOf(QLatin1StringView(" %%"));
    return comment < 0 ? line : line.first(comment);
}

} // namespace

QList<QString> FlowchartParser::splitTopLevel(const QString &line)
{
    QList<QString> pieces;
    bool quoted = false;
    int parens = 0;
    int squares = 0;
    int braces = 0;
    qsizetype start = 0;
    const auto closeBracket = [](int &depth) { depth = std::max(depth - 1, 0); };
    const auto appendPiece = [&](qsizetype end) {
        const QString piece = line.sliced(start, end - start).trimmed();
        if (!piece.isEmpty())
            pieces.push_back(piece);
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        switch (c.unicode()) {
        case u'(':
            ++parens;
            break;
        case u')':
            closeBracket(parens);
            break;
        case u'[':
            ++squares;
            break;
        case u']':
            closeBracket(squares);
            break;
        case u'{':
            ++braces;
            break;
        case u'}':
            closeBracket(braces);
            break;
        case u';':
            if (parens == 0 && squares == 0 && braces == 0) {
                appendPiece(i);
                start = i + 1;
            }
            break;
        default:
            break;
        }
    }
    appendPiece(line.size());
    return pieces;
}

Tarn::Common::Result<Flowchart, MermaidError> FlowchartParser::parse(const QString &text)
{
    QList<NumberedPiece> pieces;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = withoutComment(lines[i]).trimmed();
        if (line.isEmpty())
            continue;
        const QList<QString> split = splitTopLevel(line);
        for (const QString &piece : split)
            pieces.push_back({piece, int(std::min<qsizetype>(i + 1, INT_MAX))});
    }
    if (pieces.isEmpty())
        return Tarn::Common::Unexpected(
            MermaidError::parse(QStringLiteral("Empty flowchart source"), 0));

    ParserState state;
    if (const auto error = parseHeader(state, pieces.front()))
        return Tarn::Common::Unexpected(*error);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (const auto error = parseStatement(state, pieces[i].text, pieces[i].line))
            return Tarn::Common::Unexpected(*error);
    }
    // Subgraphs still open at the end are closed without linking them to a parent.
    state.subgraphStack.clear();

    return std::move(state.chart);
}

} // namespace Mermaid
