#pragma once

#include <QString>
#include <QVector>

#include <optional>

// Outputs first to last (1-based, both included) of a batch: the part of a
// batch one process makes.
struct OutputRange {
    int first = 1;
    int last = 0;

    int count() const { return last >= first ? last - first + 1 : 0; }
    bool contains(int outputNumber) const { return outputNumber >= first && outputNumber <= last; }
    // "A-B", or "A" for one output.
    QString text() const;

    // "A-B" or "A" with 1 <= A <= B; empty for anything else.
    static std::optional<OutputRange> parse(const QString &text);
    // Up to parts ranges of nearly equal size that cover this one in order.
    QVector<OutputRange> split(int parts) const;
};
