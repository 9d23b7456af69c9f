#include "app/compose/SourceDraw.h"

#include "app/base/NumberText.h"
#include "app/compose/CellNumber.h"
#include "app/compose/UsedSourceSets.h"
#include "app/library/SourceTable.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"

namespace {
QString drawStatus(int drawn, int count)
{
    return QStringLiteral("状态：视频源随机抽取中...") + QString::number(drawn) + QLatin1Char('/')
           + QString::number(count);
}

// Appends an entry to the drawn sources; false when its size or length is
// not a number.
bool take(const SourceTable &videos, int entry, DrawnSources &drawn)
{
    const std::optional<int> width = CellWholeNumber(videos.cell(entry, SourceTable::Width));
    const std::optional<int> height = CellWholeNumber(videos.cell(entry, SourceTable::Height));
    const std::optional<double> duration = CellNumber(videos.cell(entry, SourceTable::Duration));
    if (!width || !height || !duration)
        return false;
    drawn.sources.append({videos.fullPath(entry), *width, *height, *duration});
    drawn.entries.append(entry);
    if (*duration > drawn.longestSeconds)
        drawn.longestSeconds = *duration;
    if (*duration < drawn.shortestSeconds)
        drawn.shortestSeconds = *duration;
    return true;
}

// How often a used set is drawn again before the next unused one is taken.
constexpr int RedrawsOfAUsedSet = 8;
}  // namespace

std::optional<DrawnSources> DrawSources(const SourceTable &videos, int count, RandomSource &random,
                                        RunContext &context)
{
    context.setStatus(drawStatus(0, count));
    // The pool of entries not drawn yet, so no video is drawn twice for one output.
    QVector<int> pool;
    for (int entry = 1; entry <= videos.entryCount(); ++entry)
        pool.append(entry);

    DrawnSources drawn;
    for (int j = 1; j <= count; ++j) {
        random.reseed();
        if (pool.isEmpty())
            return std::nullopt;
        const int index = int(RoundHalfEven(random.next() * double(pool.size() - 1)));
        if (index < 0 || index >= pool.size())
            return std::nullopt;
        if (!take(videos, pool.at(index), drawn))
            return std::nullopt;
        pool.removeAt(index);
        context.pumpEvents();
        context.setStatus(drawStatus(j, count));
    }
    return drawn;
}

std::optional<DrawnSources> DrawDistinctSources(const SourceTable &videos, int count, RandomSource &random,
                                                RunContext &context, UsedSourceSets &used)
{
    std::optional<DrawnSources> drawn;
    for (int attempt = 0; attempt <= RedrawsOfAUsedSet; ++attempt) {
        drawn = DrawSources(videos, count, random, context);
        if (!drawn)
            return std::nullopt;
        if (!used.unusedRemain() || !used.contains(drawn->entries)) {
            used.add(drawn->entries);
            return drawn;
        }
    }
    DrawnSources next;
    for (int entry : used.nextUnused(drawn->entries)) {
        if (!take(videos, entry, next))
            return std::nullopt;
    }
    used.add(next.entries);
    return next;
}
