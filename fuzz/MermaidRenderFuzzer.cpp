// Feeds arbitrary bytes to the diagram entry and writes every scene it returns as SVG. Any
// crash, sanitizer report, hang or unbounded recursion is a bug: every failure must come back
// as a MermaidError.

#include <Mermaid/Mermaid.h>
#include <Mermaid/SvgWriter.h>

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts need a GUI application; the offscreen platform needs no display. The application
    // lives for the whole run.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString source
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // Odd sizes render dark, so both palettes and the theme resolution are exercised.
    const bool darkMode = size % 2 == 1;
    const auto scene = Mermaid::render(source, darkMode, Mermaid::layoutBackendFromEnvironment());
    if (!scene) {
        if (!scene.error().description().startsWith(u"Unsupported Mermaid diagram type: ")
            && !scene.error().description().startsWith(u"Parse error")
            && !scene.error().description().startsWith(u"Layout error: "))
            std::abort();
        return 0;
    }
    const QString svg = Mermaid::svgString(*scene);
    if (!svg.startsWith(u"<svg ") || !svg.endsWith(u"</svg>\n"))
        std::abort();
    return 0;
}
