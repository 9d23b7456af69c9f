#include "app/run/OutputRange.h"

#include <QRegularExpression>

#include <algorithm>

QString OutputRange::text() const
{
    return first == last ? QString::number(first)
                         : QString::number(first) + QLatin1Char('-') + QString::number(last);
}

std::optional<OutputRange> OutputRange::parse(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    OutputRange range;
    range.first = match.captured(1).toInt();
    range.last = match.captured(2).isEmpty() ? range.first : match.captured(2).toInt();
    if (range.first < 1 || range.last < range.first)
        return std::nullopt;
    return range;
}

QVector<OutputRange> OutputRange::split(int parts) const
{
    QVector<OutputRange> ranges;
    const int total = count();
    parts = std::clamp(parts, 1, std::max(total, 1));
    int next = first;
    for (int k = 0; k < parts && next <= last; ++k) {
        // The first (total % parts) ranges take one output more.
        const int size = total / parts + (k < total % parts ? 1 : 0);
        ranges.append({next, next + size - 1});
        next += size;
    }
    return ranges;
}
