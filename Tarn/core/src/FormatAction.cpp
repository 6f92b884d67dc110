#include <Tarn/FormatAction.h>

namespace Tarn {

QString FormatAction::displayName() const
{
    switch (kind) {
    case Kind::bold:
        return QStringLiteral("Bold");
    case Kind::italic:
        return QStringLiteral("Italic");
    case Kind::strikethrough:
        return QStringLiteral("Strikethrough");
    case Kind::code:
        return QStringLiteral("Code");
    case Kind::link:
        return QStringLiteral("Link");
    case Kind::bulletedList:
        return QStringLiteral("Bulleted List");
    case Kind::numberedList:
        return QStringLiteral("Numbered List");
    case Kind::taskList:
        return QStringLiteral("Task List");
    case Kind::blockquote:
        return QStringLiteral("Blockquote");
    case Kind::codeBlock:
        return QStringLiteral("Code Block");
    case Kind::heading:
        return QStringLiteral("Heading %1").arg(level);
    }
    return {};
}

} // namespace Tarn
