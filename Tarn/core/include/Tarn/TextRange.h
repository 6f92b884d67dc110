#pragma once

#include <QtGlobal>

namespace Tarn {

/// A range of the document text in UTF-16 code units, as the editor reports selections.
struct TextRange
{
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    friend bool operator==(TextRange, TextRange) = default;
};

} // namespace Tarn
