#include "Commands.h"

#include <Mermaid/Mermaid.h>
#include <Mermaid/SceneDrawing.h>
#include <Mermaid/SvgWriter.h>
#include <Tarn/AtomicFile.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

#include <cmath>
#include <optional>

namespace Tarn::Cli {

namespace {

enum class DiagramFormat { svg, pdf, png };

struct DiagramOptions
{
    QString input;
    QString output;
    bool dark = false;
    double scale = 2;
};

std::optional<DiagramFormat> formatOfOutput(const QString &output)
{
    if (output == stdioName)
        return DiagramFormat::svg;
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix == u"svg")
        return DiagramFormat::svg;
    if (suffix == u"pdf")
        return DiagramFormat::pdf;
    if (suffix == u"png")
        return DiagramFormat::png;
    return std::nullopt;
}

// Reads the arguments; the error is the usage message.
Common::Result<DiagramOptions, QString> parseOptions(const QStringList &arguments)
{
    DiagramOptions options;
    bool hasOutput = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--dark") {
            options.dark = true;
        } else if (argument == u"-o" || argument == u"--scale") {
            if (i + 1 == arguments.size())
                return Common::Unexpected(
                    QStringLiteral("diagram: option '%1' needs a value").arg(argument));
            const QString &value = arguments[++i];
            if (argument == u"-o") {
                options.output = value;
                hasOutput = true;
                continue;
            }
            bool ok = false;
            options.scale = value.toDouble(&ok);
            if (!ok || !std::isfinite(options.scale) || options.scale <= 0)
                return Common::Unexpected(
                    QStringLiteral("diagram: --scale needs a positive number, not '%1'")
                        .arg(value));
        } else if (argument.startsWith(u'-') && argument != stdioName) {
            return Common::Unexpected(QStringLiteral("diagram: unknown option '%1'").arg(argument));
        } else if (options.input.isEmpty()) {
            options.input = argument;
        } else {
            return Common::Unexpected(QStringLiteral("diagram: more than one input"));
        }
    }
    if (options.input.isEmpty())
        return Common::Unexpected(QStringLiteral("diagram: missing input file"));
    if (!hasOutput || options.output.isEmpty())
        return Common::Unexpected(QStringLiteral("diagram: missing '-o OUT.svg|.pdf|.png'"));
    return options;
}

Common::Result<QByteArray, QString> encode(const Mermaid::MermaidScene &scene, DiagramFormat format,
                                           double scale)
{
    switch (format) {
    case DiagramFormat::svg:
        return Mermaid::svgString(scene).toUtf8();
    case DiagramFormat::pdf: {
        QByteArray pdf = Mermaid::pdfData(scene);
        if (pdf.isEmpty())
            return Common::Unexpected(QStringLiteral("could not draw the diagram as PDF"));
        return pdf;
    }
    case DiagramFormat::png: {
        const auto image = Mermaid::bitmapImage(scene, scale);
        if (!image)
            return Common::Unexpected(QStringLiteral("could not draw the diagram as an image"));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(*image))
            return Common::Unexpected(
                QStringLiteral("could not encode the image: %1").arg(writer.errorString()));
        return buffer.data();
    }
    }
    return Common::Unexpected(QStringLiteral("unknown output format"));
}

} // namespace

int runDiagram(const QStringList &arguments, Streams streams)
{
    const auto options = parseOptions(arguments);
    if (!options)
        return usageFailure(streams, options.error());
    const auto format = formatOfOutput(options->output);
    if (!format)
        return usageFailure(
            streams,
            QStringLiteral("diagram: the output must end in .svg, .pdf or .png, or be '-'"));

    const auto source = readMarkdown(options->input, streams.in);
    if (!source)
        return failureLine(streams, source.error());
    const auto scene
        = Mermaid::render(*source, options->dark, Mermaid::layoutBackendFromEnvironment());
    if (!scene) {
        // The description alone, exactly as the preview shows it.
        writeLine(streams.err, scene.error().description());
        return failure;
    }
    const auto bytes = encode(*scene, *format, options->scale);
    if (!bytes)
        return failureLine(streams, bytes.error());
    if (options->output == stdioName) {
        streams.out.write(*bytes);
        return success;
    }
    const auto written = writeFileAtomically(options->output, *bytes);
    if (!written)
        return failureLine(streams, written.error());
    return success;
}

} // namespace Tarn::Cli
