#pragma once

#include <QIcon>

namespace Tarn {

/// Pictures of the formatting toolbar; each is drawn by us when the icon theme lacks it.
enum class ToolbarGlyph {
    bold,
    italic,
    strikethrough,
    code,
    link,
    heading,
    bulletedList,
    numberedList,
    taskList,
    blockquote,
    codeBlock,
};

/// The icon named `themeName` in the desktop's icon theme when it can be drawn, else ours. Our
/// icons are drawn in the current palette's text colour, so they follow light and dark.
QIcon toolbarIcon(const QString &themeName, ToolbarGlyph glyph);

/// Our own drawing of `glyph`, never blank.
QIcon paintedIcon(ToolbarGlyph glyph);

/// The application's icon: a lake under a mountain on a rounded tile.
QIcon applicationIcon();

} // namespace Tarn
