#pragma once

// The failures of the diagram engine, each with the text shown in place of the diagram.

#include <QString>

#include <variant>

namespace Mermaid {

class MermaidError
{
public:
    struct UnsupportedDiagramType
    {
        QString name;
        bool operator==(const UnsupportedDiagramType &) const = default;
    };
    struct Parse
    {
        QString message;
        /// From 1 over the prepared source; 0 or less when the error has no line.
        int line = 0;
        bool operator==(const Parse &) const = default;
    };
    struct Layout
    {
        QString message;
        bool operator==(const Layout &) const = default;
    };
    using Case = std::variant<UnsupportedDiagramType, Parse, Layout>;

    static MermaidError unsupportedDiagramType(QString name);
    static MermaidError parse(QString message, int line);
    static MermaidError layout(QString message);

    const Case &value() const { return m_value; }
    /// The message for the user, e.g. "Parse error (line 3): ..." or "Parse error: ..." when
    /// the line is 0 or less.
    QString description() const;

    bool operator==(const MermaidError &) const = default;

private:
    explicit MermaidError(Case value);

    Case m_value;
};

} // namespace Mermaid
