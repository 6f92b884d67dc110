#include "Commands.h"
#include "OutlineJson.h"

#include <Tarn/Outline.h>

namespace Tarn::Cli {

int runOutline(const QStringList &arguments, Streams streams)
{
    QString input;
    bool json = false;
    for (const auto &argument : arguments) {
        if (argument == u"--json")
            json = true;
        else if (argument.startsWith(u'-') && argument != stdioName)
            return usageFailure(streams,
                                QStringLiteral("outline: unknown option '%1'").arg(argument));
        else if (input.isEmpty())
            input = argument;
        else
            return usageFailure(streams, QStringLiteral("outline: more than one input"));
    }
    if (input.isEmpty())
        return usageFailure(streams, QStringLiteral("outline: missing input file"));

    const auto text = readMarkdown(input, streams.in);
    if (!text)
        return failureLine(streams, text.error());
    const Outline outline = Outline::parse(*text);
    streams.out.write(json ? outlineJson(outline) : outlineText(outline));
    return success;
}

} // namespace Tarn::Cli
