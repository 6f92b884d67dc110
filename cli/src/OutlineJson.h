#pragma once

#include <Tarn/Outline.h>

#include <QByteArray>

namespace Tarn::Cli {

/// {"entries":[{"id","level","title","sourceLocation","sectionIndex"}],
///  "sections":[{"id","sourceLocation","length"}]}, keys in that order, one line.
QByteArray outlineJson(const Outline &outline);

/// One line per heading, indented by level, for reading in a terminal.
QByteArray outlineText(const Outline &outline);

} // namespace Tarn::Cli
