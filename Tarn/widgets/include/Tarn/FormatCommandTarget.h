#pragma once

#include <Tarn/EditorTextStore.h>
#include <Tarn/FormatAction.h>
#include <Tarn/MarkdownDocument.h>

#include <QPointer>

namespace Tarn {

/// What the Format and Export commands act on: the focused window's document and editor store.
struct FormatCommandTarget
{
    QPointer<MarkdownDocument> document;
    QPointer<EditorTextStore> store;

    bool isValid() const { return document && store; }
};

/// Applies a Format command. With a live text view the edit goes through the view as one undo
/// step named after the action; without one the document is written directly.
void apply(const FormatCommandTarget &target, FormatAction action);

} // namespace Tarn
