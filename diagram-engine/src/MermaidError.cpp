#include <Mermaid/MermaidError.h>

namespace Mermaid {

MermaidError::MermaidError(Case value)
    : m_value(std::move(value))
{
}

MermaidError MermaidError::unsupportedDiagramType(QString name)
{
    return MermaidError(UnsupportedDiagramType{std::move(name)});
}

MermaidError MermaidError::parse(QString message, int line)
{
    return MermaidError(Parse{std::move(message), line});
}

MermaidError MermaidError::layout(QString message)
{
    return MermaidError(Layout{std::move(message)});
}

QString MermaidError::description() const
{
    struct Describe
    {
        QString operator()(const UnsupportedDiagramType &error) const
        {
            return QStringLiteral("Unsupported Mermaid diagram type: ") + error.name;
        }
        QString operator()(const Parse &error) const
        {
            if (error.line <= 0)
                return QStringLiteral("Parse error: ") + error.message;
            return QStringLiteral("Parse error (line %1): ").arg(error.line) + error.message;
        }
        QString operator()(const Layout &error) const
        {
            return QStringLiteral("Layout error: ") + error.message;
        }
    };
    return std::visit(Describe{}, m_value);
}

} // namespace Mermaid
