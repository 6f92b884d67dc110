#include <Mermaid/Mermaid.h>
#include <Mermaid/SceneDrawing.h>
#include <Mermaid/SvgWriter.h>
#include <Mermaid/TextMeasure.h>

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace Mermaid;

namespace {

QString errorOf(const QString &source, bool darkMode = false)
{
    const auto scene = render(source, darkMode, LayoutBackend::dagre);
    return scene ? QStringLiteral("<scene>") : scene.error().description();
}

// Restores MERMAID_DAGRE when a test ends.
class EnvironmentGuard
{
public:
    EnvironmentGuard()
        : m_wasSet(qEnvironmentVariableIsSet("MERMAID_DAGRE"))
        , m_value(qgetenv("MERMAID_DAGRE"))
    {
    }
    ~EnvironmentGuard()
    {
        if (m_wasSet)
            qputenv("MERMAID_DAGRE", m_value);
        else
            qunsetenv("MERMAID_DAGRE");
    }

private:
    bool m_wasSet;
    QByteArray m_value;
};

} // namespace

TEST(MermaidEntry, DetectsEveryKindByItsHeaderKeyword)
{
    struct Case
    {
        const char *source;
        DiagramKind kind;
        const char *keyword;
    };
    const Case cases[] = {
        {"flowchart LR", DiagramKind::flowchart, "flowchart"},
        {"GRAPH TD", DiagramKind::flowchart, "GRAPH"},
        {"flowchart-elk LR", DiagramKind::flowchart, "flowchart-elk"},
        {"sequenceDiagram", DiagramKind::sequence, "sequenceDiagram"},
        {"sequenceDiagram:", DiagramKind::sequence, "sequenceDiagram"}, // stops at the colon
        {"stateDiagram", DiagramKind::state, "stateDiagram"},
        {"stateDiagram-v2", DiagramKind::state, "stateDiagram-v2"},
        {"classDiagram", DiagramKind::classDiagram, "classDiagram"},
        {"classDiagram-v2", DiagramKind::classDiagram, "classDiagram-v2"},
        {"pie title Pets", DiagramKind::pie, "pie"},
        {"erDiagram", DiagramKind::erDiagram, "erDiagram"},
        {"gantt", DiagramKind::gantt, "gantt"},
        {"gitGraph", DiagramKind::gitGraph, "gitGraph"},
        {"journey", DiagramKind::journey, "journey"},
        {"mindmap", DiagramKind::mindmap, "mindmap"},
        {"timeline", DiagramKind::timeline, "timeline"},
        {"quadrantChart", DiagramKind::quadrantChart, "quadrantChart"},
        {"requirementDiagram", DiagramKind::requirement, "requirementDiagram"},
        {"C4Context", DiagramKind::c4, "C4Context"},
        {"C4Container", DiagramKind::c4, "C4Container"},
        {"C4Component", DiagramKind::c4, "C4Component"},
        {"C4Dynamic", DiagramKind::c4, "C4Dynamic"},
        {"C4Deployment", DiagramKind::c4, "C4Deployment"},
        {"sankey-beta", DiagramKind::sankey, "sankey-beta"},
        {"xychart-beta", DiagramKind::xyChart, "xychart-beta"},
        {"block-beta", DiagramKind::block, "block-beta"},
        {"architecture-beta", DiagramKind::architecture, "architecture-beta"},
        {"architecture", DiagramKind::architecture, "architecture"},
        {"sankey", DiagramKind::unknown, "sankey"},
        {"pie-chart", DiagramKind::unknown, "pie-chart"},
        {"  \t\n\n   pie  ", DiagramKind::pie, "pie"},
        {"g\xC3\xA9nial x", DiagramKind::unknown, "g\xC3\xA9nial"}, // Unicode letters
        {"cafe\xCC\x81 x", DiagramKind::unknown, "cafe\xCC\x81"},   // a combining accent
        {"\xF0\x9D\x90\x80\xF0\x9D\x90\x81 x", DiagramKind::unknown,
         "\xF0\x9D\x90\x80\xF0\x9D\x90\x81"},
        {"{{weird}}", DiagramKind::unknown, "{{weird}}"}, // no keyword: the whole line
        {"", DiagramKind::unknown, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        const PreparedSource prepared = prepareSource(QString::fromUtf8(c.source), false);
        EXPECT_EQ(prepared.kind, c.kind);
        EXPECT_EQ(prepared.keyword, QString::fromUtf8(c.keyword));
    }
}

TEST(MermaidEntry, ErrorTexts)
{
    struct Case
    {
        const char *source;
        const char *description;
    };
    const Case cases[] = {
        {"", "Unsupported Mermaid diagram type: "},
        {"\n  \n%% just a comment\n%%{init: {'theme':'dark'}}%%\n",
         "Unsupported Mermaid diagram type: "},
        {"stateDiagram-v2\n  [*] --> A", "Unsupported Mermaid diagram type: stateDiagram"},
        {"STATEDIAGRAM", "Unsupported Mermaid diagram type: stateDiagram"},
        {"erDiagram\n  A ||--o{ B : has", "Unsupported Mermaid diagram type: erDiagram"},
        {"Gantt\n  title x", "Unsupported Mermaid diagram type: Gantt"},
        {"c4context", "Unsupported Mermaid diagram type: c4context"},
        {"hello world", "Unsupported Mermaid diagram type: hello"},
        {"  ?? what  ", "Unsupported Mermaid diagram type: ?? what"},
        {"---\ntitle: x\ngraph TD", "Unsupported Mermaid diagram type: ---"}, // never closed
        {"graph TD\n  A -->", "Parse error (line 2): Edge has no destination"},
        // Drawn kinds whose renderers are not part of this build are refused by name.
        {"sequenceDiagram\n  A->>B: hi", "Unsupported Mermaid diagram type: sequenceDiagram"},
        {"classDiagram\n  class A", "Unsupported Mermaid diagram type: classDiagram"},
        {"architecture-beta\n  service a(server)[A]",
         "Unsupported Mermaid diagram type: architecture-beta"},
        {"pie\n  \"a\" : 12 kg", "Parse error (line 2): Slice value must be a number"},
        {"pie:\n  \"a\" : 1", "Parse error (line 1): Expected `pie` header"},
        // A directive stays a line of its own, so the error names the user's line.
        {"%%{init: {'theme':'dark'}}%%\npie\n\n\"a\": x",
         "Parse error (line 4): Slice value must be a number"},
        {"---\ntheme: dark\n---\npie\r\n\"a\": x",
         "Parse error (line 5): Slice value must be a number"},
        {"pie\n\"a\": 1", "<scene>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(errorOf(QString::fromUtf8(c.source)).toStdString(), c.description);
    }
}

TEST(MermaidEntry, ErrorDescriptions)
{
    EXPECT_EQ(MermaidError::parse(QStringLiteral("bad"), 3).description(),
              QStringLiteral("Parse error (line 3): bad"));
    EXPECT_EQ(MermaidError::parse(QStringLiteral("bad"), 0).description(),
              QStringLiteral("Parse error: bad"));
    EXPECT_EQ(MermaidError::parse(QStringLiteral("bad"), -2).description(),
              QStringLiteral("Parse error: bad"));
    EXPECT_EQ(MermaidError::layout(QStringLiteral("cycle")).description(),
              QStringLiteral("Layout error: cycle"));
    EXPECT_EQ(MermaidError::unsupportedDiagramType(QStringLiteral("gantt")).description(),
              QStringLiteral("Unsupported Mermaid diagram type: gantt"));
    EXPECT_EQ(MermaidError::parse(QStringLiteral("a"), 1),
              MermaidError::parse(QStringLiteral("a"), 1));
    EXPECT_NE(MermaidError::parse(QStringLiteral("a"), 1),
              MermaidError::parse(QStringLiteral("a"), 2));
    EXPECT_NE(MermaidError::layout(QStringLiteral("a")),
              MermaidError::unsupportedDiagramType(QStringLiteral("a")));
}

TEST(MermaidEntry, BlanksFrontMatterDirectivesAndCommentsInPlace)
{
    const QString source = QStringLiteral("\r\n---\r\ntitle: Pets\r\n---\r\npie title Pets\r"
                                          "%% a comment\n"
                                          "  %%{init: {'theme':'dark'}}%%\n"
                                          "  \"Dogs\" : 3 %% not a comment here\n");
    const PreparedSource prepared = prepareSource(source, false);
    EXPECT_EQ(prepared.text, QStringLiteral("\n\n\n\npie title Pets\n\n\n"
                                            "  \"Dogs\" : 3 %% not a comment here\n"));
    EXPECT_EQ(prepared.theme, MermaidTheme::dark);
    EXPECT_EQ(prepared.kind, DiagramKind::pie);
}

TEST(MermaidEntry, ThemeFromFrontMatterAndDirectives)
{
    struct Case
    {
        const char *name;
        const char *source;
        bool darkMode;
        MermaidTheme theme;
    };
    const Case cases[] = {
        {"none", "pie", false, MermaidTheme::default_},
        {"dark mode wins", "%%{init: {'theme':'default'}}%%\npie", true, MermaidTheme::dark},
        {"front matter", "---\nconfig:\n  theme: dark\n---\npie", false, MermaidTheme::dark},
        {"front matter quoted", "---\ntheme: 'dark'\n---\npie", false, MermaidTheme::dark},
        {"front matter before directive",
         "---\ntheme: dark\n---\n%%{init: {'theme':'default'}}%%\npie", false, MermaidTheme::dark},
        {"first front-matter line wins", "---\ntheme: default\ntheme: dark\n---\npie", false,
         MermaidTheme::default_},
        {"unknown front-matter theme", "---\ntheme: forest\ntheme: dark\n---\npie", false,
         MermaidTheme::dark},
        {"case-sensitive", "---\ntheme: Dark\n---\npie", false, MermaidTheme::default_},
        {"directive single quotes", "%%{init: {'theme':'dark'}}%%\npie", false, MermaidTheme::dark},
        {"directive double quotes", "%%{init: {\"theme\": \"dark\"}}%%\npie", false,
         MermaidTheme::dark},
        {"directive value stops at a non-letter", "%%{init: {'theme':'dark-ish'}}%%\npie", false,
         MermaidTheme::dark},
        {"directive without value", "%%{init: {'theme':}}%%\n%%{init: {'theme':'dark'}}%%\npie",
         false, MermaidTheme::dark},
        {"first directive wins",
         "%%{init: {'theme':'default'}}%%\n%%{init: {'theme':'dark'}}%%\npie", false,
         MermaidTheme::default_},
        {"unknown directive theme then dark",
         "%%{init: {'theme':'forest'}}%%\n%%{init: {'theme':'dark'}}%%\npie", false,
         MermaidTheme::dark},
        {"comment is not a directive", "%% theme: dark\npie", false, MermaidTheme::default_},
        {"front matter needs to come first", "pie\n---\ntheme: dark\n---", false,
         MermaidTheme::default_},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(prepareSource(QString::fromUtf8(c.source), c.darkMode).theme, c.theme);
    }
}

TEST(MermaidEntry, RenderUsesTheResolvedTheme)
{
    const auto light = render(QStringLiteral("pie\n\"a\": 1"), false, LayoutBackend::dagre);
    const auto fromSource = render(QStringLiteral("---\ntheme: dark\n---\npie\n\"a\": 1"), false,
                                   LayoutBackend::builtin);
    const auto dark = render(QStringLiteral("pie\n\"a\": 1"), true, LayoutBackend::dagre);
    ASSERT_TRUE(light && fromSource && dark);
    EXPECT_EQ(light->backgroundColor, Color::rgb(0xffffff));
    EXPECT_EQ(fromSource->backgroundColor, Color::rgb(0x1e1e1e));
    EXPECT_EQ(*dark, *fromSource);
}

TEST(MermaidEntry, LayoutBackendFromEnvironment)
{
    const EnvironmentGuard guard;
    qunsetenv("MERMAID_DAGRE");
    EXPECT_EQ(layoutBackendFromEnvironment(), LayoutBackend::dagre);
    struct Case
    {
        const char *value;
        LayoutBackend backend;
    };
    const Case cases[] = {
        {"0", LayoutBackend::builtin}, {"1", LayoutBackend::dagre},  {"no", LayoutBackend::dagre},
        {"", LayoutBackend::dagre},    {" 0", LayoutBackend::dagre}, {"00", LayoutBackend::dagre},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        qputenv("MERMAID_DAGRE", c.value);
        EXPECT_EQ(layoutBackendFromEnvironment(), c.backend);
    }
}

TEST(MermaidEntry, RendersOnSeveralThreadsAtOnce)
{
    // Fonts, palettes and drawing are shared process-wide; every thread must get what a lone
    // render gets. The threads also ask for four new font sizes, each in its own order, so
    // that cache misses race.
    const QStringList sources = {
        QStringLiteral("pie title Pets\n\"Dogs\": 386\n\"Cats\": 85\n\"Rats\": 15"),
        QStringLiteral("pie showData\n\"a\": 1\n\"b\": 2\n\"c\": 3\n\"d\": 4"),
        QStringLiteral("%%{init: {'theme':'dark'}}%%\npie title Dark\n\"x\": 0.5"),
        QStringLiteral("gantt\n  title refused"),
    };
    constexpr int threadCount = 8;
    std::vector<QStringList> svgs(threadCount);
    std::vector<bool> drawn(threadCount, true);
    std::vector<double> measured(threadCount, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 4; ++round) {
                const FontSpec unusual{QStringLiteral("Helvetica"), 40.5 + (round + t) % 4,
                                       FontSpec::Weight::bold, t % 2 == 0};
                measured[t]
                    += TextMeasure::measureBlock(QStringLiteral("race"), unusual).size.width;
                for (qsizetype i = 0; i < sources.size(); ++i) {
                    const QString &source = sources[(i + t) % sources.size()];
                    const auto scene = render(source, (t + round) % 2 == 1, LayoutBackend::dagre);
                    if (!scene) {
                        svgs[t].push_back(scene.error().description());
                        continue;
                    }
                    svgs[t].push_back(svgString(*scene));
                    drawn[t] = drawn[t] && bitmapImage(*scene, 1).has_value()
                               && !pdfData(*scene).isEmpty();
                }
            }
        });
    }
    for (auto &thread : threads)
        thread.join();

    for (int t = 0; t < threadCount; ++t) {
        SCOPED_TRACE(t);
        EXPECT_TRUE(drawn[t]);
        EXPECT_EQ(measured[t], measured[t % 2]); // the same four sizes, italic on even threads
        ASSERT_EQ(svgs[t].size(), 4 * sources.size());
        for (int round = 0; round < 4; ++round) {
            for (qsizetype i = 0; i < sources.size(); ++i) {
                const QString &source = sources[(i + t) % sources.size()];
                const auto alone = render(source, (t + round) % 2 == 1, LayoutBackend::dagre);
                const QString expected = alone ? svgString(*alone) : alone.error().description();
                EXPECT_EQ(svgs[t][round * sources.size() + i], expected);
            }
        }
    }
}
