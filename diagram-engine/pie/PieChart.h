#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace Mermaid {

struct PieSlice
{
    /// As written, outer double quotes removed.
    QString label;
    double value = 0;

    bool operator==(const PieSlice &) const = default;
};

struct PieChart
{
    /// Absent when no title was given.
    std::optional<QString> title;
    /// In source order.
    QList<PieSlice> slices;

    bool operator==(const PieChart &) const = default;
};

} // namespace Mermaid
