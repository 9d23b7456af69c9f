#include "app/compose/FourSourcePlan.h"

#include "app/compose/CommonLength.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/SourceDraw.h"

#include <QFileInfo>

#include <algorithm>

std::optional<FourSourcePlan> PlanFourSources(ComposeEnvironment &environment, UsedSourceSets &used,
                                              OutputStatus &status)
{
    environment.random.reseed();  // each output's draws begin anew
    const std::optional<DrawnSources> drawn =
        DrawDistinctSources(environment.videos, 4, environment.random, environment.context, used);
    if (!drawn || drawn->sources.size() != 4)
        return std::nullopt;
    FourSourcePlan plan;
    std::copy(drawn->sources.begin(), drawn->sources.end(), plan.sources.begin());
    status.show(QStringLiteral("状态：已抽取视频源预处理中..."));
    for (const ChosenSource &source : plan.sources) {
        // A source that is gone would fail its step and leave the files of an
        // earlier output in their place.
        if (!QFileInfo(source.path).isFile())
            return std::nullopt;
    }
    FourUpLayout::orderByWidth(plan.sources, environment.settings.lengthRule);
    plan.canvas = FourUpLayout::canvasSize(plan.sources);
    const std::optional<double> length =
        CommonLength(environment.settings, plan.sources, drawn->longestSeconds, drawn->shortestSeconds,
                     environment.random);
    if (!length)
        return std::nullopt;
    plan.lengthSeconds = *length;
    return plan;
}
