#include <Mermaid/MermaidTheme.h>

namespace Mermaid {

namespace {

ThemePalette defaultPalette()
{
    ThemePalette palette;
    palette.background = Color::rgb(0xffffff);
    palette.textColor = Color::rgb(0x333333);
    palette.nodeFill = Color::rgb(0xececff);
    palette.nodeBorder = Color::rgb(0x9370db);
    palette.nodeTextColor = Color::rgb(0x333333);
    palette.clusterFill = Color::rgb(0xffffde);
    palette.clusterBorder = Color::rgb(0xaaaa33);
    palette.edgeStroke = Color::rgb(0x333333);
    palette.edgeLabelBackground = Color::rgb(0xe8e8e8);
    palette.edgeLabelColor = Color::rgb(0x333333);
    palette.actorFill = Color::rgb(0xececff);
    palette.actorBorder = Color::rgb(0x9370db);
    palette.actorTextColor = Color::rgb(0x000000);
    palette.signalColor = Color::rgb(0x333333);
    palette.signalTextColor = Color::rgb(0x333333);
    palette.lifelineColor = Color::rgb(0x999999);
    palette.labelBoxFill = Color::rgb(0xececff);
    palette.labelBoxBorder = Color::rgb(0x9370db);
    palette.noteFill = Color::rgb(0xfff5ad);
    palette.noteBorder = Color::rgb(0xaaaa33);
    palette.noteTextColor = Color::rgb(0x333333);
    palette.activationFill = Color::rgb(0xf4f4f4);
    palette.activationBorder = Color::rgb(0x666666);
    palette.pieStroke = Color::rgb(0x000000);
    palette.pieTitleColor = Color::rgb(0x000000);
    palette.pieSlices = {
        Color::rgb(0xececff), Color::rgb(0xffffde), Color::rgb(0xb3e6ff), Color::rgb(0xffd9d9),
        Color::rgb(0xd9f2d9), Color::rgb(0xffe6cc), Color::rgb(0xe6ccff), Color::rgb(0xcce6ff),
        Color::rgb(0xfff0b3), Color::rgb(0xc2f0c2), Color::rgb(0xffc2b3), Color::rgb(0xd9d9f2),
    };
    return palette;
}

ThemePalette darkPalette()
{
    ThemePalette palette;
    palette.background = Color::rgb(0x1e1e1e);
    palette.textColor = Color::rgb(0xcccccc);
    palette.nodeFill = Color::rgb(0x1f2020);
    palette.nodeBorder = Color::rgb(0x81b1db);
    palette.nodeTextColor = Color::rgb(0xcccccc);
    palette.clusterFill = Color::rgb(0x2b2b2b);
    palette.clusterBorder = Color::rgb(0x81b1db);
    palette.edgeStroke = Color::rgb(0xcccccc);
    palette.edgeLabelBackground = Color::rgb(0x2b2b2b);
    palette.edgeLabelColor = Color::rgb(0xcccccc);
    palette.actorFill = Color::rgb(0x1f2020);
    palette.actorBorder = Color::rgb(0x81b1db);
    palette.actorTextColor = Color::rgb(0xcccccc);
    palette.signalColor = Color::rgb(0xcccccc);
    palette.signalTextColor = Color::rgb(0xcccccc);
    palette.lifelineColor = Color::rgb(0x9f9f9f);
    palette.labelBoxFill = Color::rgb(0x1f2020);
    palette.labelBoxBorder = Color::rgb(0x81b1db);
    palette.noteFill = Color::rgb(0xe6d2a9);
    palette.noteBorder = Color::rgb(0xaaaa33);
    palette.noteTextColor = Color::rgb(0x000000);
    palette.activationFill = Color::rgb(0x2b2b2b);
    palette.activationBorder = Color::rgb(0x81b1db);
    palette.pieStroke = Color::rgb(0x000000);
    palette.pieTitleColor = Color::rgb(0xcccccc);
    palette.pieSlices = {
        Color::rgb(0x4a4a8a), Color::rgb(0x8a8a4a), Color::rgb(0x4a7a8a), Color::rgb(0x8a4a4a),
        Color::rgb(0x4a8a5a), Color::rgb(0x8a6a4a), Color::rgb(0x6a4a8a), Color::rgb(0x4a6a8a),
        Color::rgb(0x8a7a4a), Color::rgb(0x5a8a5a), Color::rgb(0x8a5a4a), Color::rgb(0x5a5a8a),
    };
    return palette;
}

} // namespace

std::string_view rawValue(MermaidTheme theme)
{
    for (const auto &name : mermaidThemeNames) {
        if (name.value == theme)
            return name.raw;
    }
    return {};
}

std::optional<MermaidTheme> mermaidThemeFromRaw(std::string_view raw)
{
    for (const auto &name : mermaidThemeNames) {
        if (name.raw == raw)
            return name.value;
    }
    return std::nullopt;
}

const ThemePalette &palette(MermaidTheme theme)
{
    // Function-local statics: each palette is built once, thread-safely, on first use.
    switch (theme) {
    case MermaidTheme::default_: {
        static const ThemePalette palette = defaultPalette();
        return palette;
    }
    case MermaidTheme::dark: {
        static const ThemePalette palette = darkPalette();
        return palette;
    }
    }
    static const ThemePalette fallback = defaultPalette();
    return fallback;
}

} // namespace Mermaid
