#include "app/compose/SourceDraw.h"

#include "app/compose/CellNumber.h"
#include "app/compose/RandomSource.h"
#include "app/library/SourceTable.h"
#include "app/run/NumberText.h"
#include "app/run/RunContext.h"

namespace {
QString drawStatus(int drawn, int count)
{
    return QStringLiteral("状态：视频源随机抽取中...") + QString::number(drawn) + QLatin1Char('/')
           + QString::number(count);
}
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
        const int entry = pool.at(index);
        const std::optional<int> width = CellWholeNumber(videos.cell(entry, SourceTable::Width));
        const std::optional<int> height = CellWholeNumber(videos.cell(entry, SourceTable::Height));
        const std::optional<double> duration = CellNumber(videos.cell(entry, SourceTable::Duration));
        if (!width || !height || !duration)
            return std::nullopt;
        drawn.sources.append({videos.fullPath(entry), *width, *height, *duration});
        if (*duration > drawn.longestSeconds)
            drawn.longestSeconds = *duration;
        if (*duration < drawn.shortestSeconds)
            drawn.shortestSeconds = *duration;
        pool.removeAt(index);
        context.pumpEvents();
        context.setStatus(drawStatus(j, count));
    }
    return drawn;
}
