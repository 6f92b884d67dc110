#include <Tarn/EditorTextView.h>
#include <Tarn/FormatCommandTarget.h>
#include <Tarn/FormattingTransforms.h>
#include <Tarn/TarnLog.h>

namespace Tarn {

void apply(const FormatCommandTarget &target, FormatAction action)
{
    if (!target.isValid())
        return;
    MarkdownDocument &document = *target.document;
    EditorTextStore &store = *target.store;
    const TextRange selection = store.selection.value_or(TextRange{});
    const EditorTextEdit edit = formatEdit(action, document.text(), selection);
    const QString name = action.displayName();
    qCInfo(tarnLog, "apply %s", qUtf8Printable(name));

    if (EditorTextView *view = store.textView) {
        view->setFocus(Qt::OtherFocusReason);
        view->replaceAsUserEdit(edit.range, edit.replacement, name);
        view->setSelectedRange(edit.selection);
        store.selection = edit.selection;
        return;
    }

    qCCritical(tarnLog, "apply: textView nil; falling back to binding write");
    store.selection = edit.selection;
    QString text = document.text();
    text.replace(edit.range.location, edit.range.length, edit.replacement);
    document.setText(text);
}

} // namespace Tarn
