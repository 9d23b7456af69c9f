#include "app/compose/FourSourcePlan.h"

#include "app/compose/CommonLength.h"
#include "app/compose/ComposeEnvironment.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/RandomSource.h"
#include "app/compose/RandomStart.h"
#include "app/compose/SourceDraw.h"

#include <QFileInfo>

#include <algorithm>

std::optional<FourSourcePlan> FourSourcePlan::make(ComposeEnvironment &environment, UsedSourceSets &used,
                                                   OutputStatus &status)
{
    const RunSettings &settings = environment.settings;
    environment.random.reseed();
    const std::optional<DrawnSources> drawn =
        DrawDistinctSources(environment.videos, 4, environment.random, environment.context, used);
    if (!drawn)
        return std::nullopt;
    FourSourcePlan plan;
    std::copy(drawn->sources.begin(), drawn->sources.end(), plan.sources.begin());
    status.show(QStringLiteral("状态：已抽取视频源预处理中..."));
    for (const ChosenSource &source : plan.sources) {
        // A source that is gone would fail its cut and leave the clip of an
        // earlier output in its place.
        if (!QFileInfo(source.path).isFile())
            return std::nullopt;
    }

    FourUpLayout::orderByWidth(plan.sources, settings.lengthRule);
    plan.canvas = FourUpLayout::canvasSize(plan.sources);
    const std::optional<double> length = CommonLength(settings, plan.sources, drawn->longestSeconds,
                                                      drawn->shortestSeconds, environment.random);
    if (!length)
        return std::nullopt;
    plan.lengthSeconds = *length;

    double longestSoFar = 0;
    bool cutFound = false;
    for (int k = 0; k < 4; ++k) {
        const ChosenSource &source = plan.sources[k];
        const bool longer = source.durationSeconds > plan.lengthSeconds;
        plan.startTexts[k] =
            longer ? RandomStartText(source.durationSeconds - plan.lengthSeconds, environment.random)
                   : QStringLiteral("0");
        if ((longer && !cutFound) || (!longer && !cutFound && source.durationSeconds > longestSoFar)) {
            cutFound = longer;
            longestSoFar = source.durationSeconds;
            plan.soundSource = k;
        }
    }
    return plan;
}
