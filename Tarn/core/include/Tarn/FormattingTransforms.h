#pragma once

#include <Tarn/EditorTextEdit.h>
#include <Tarn/FormatAction.h>
#include <Tarn/TextRange.h>

#include <QString>

namespace Tarn {

/// The edit a Format command makes to `text` at `selection`. Pure. Syntax already present is
/// never removed (no toggling); a selection reaching past the text is clamped to it.
EditorTextEdit formatEdit(FormatAction action, const QString &text, TextRange selection);

} // namespace Tarn
