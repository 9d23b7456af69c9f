#include "app/compose/FourSourcePlan.h"

#include "app/compose/CommonLength.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/SoundTrackStep.h"
#include "app/compose/SourceDraw.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"

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

void ReportFourSources(const FourSourcePlan &plan, const CutStarts &starts, OutputReport &report)
{
    report.sources.clear();
    for (int k = 0; k < 4; ++k)
        report.sources.append({plan.sources[k].path, starts.startTexts[k].toDouble()});
    report.lengthSeconds = plan.lengthSeconds;
}

QString FourSourceVideoSound(const ComposeEnvironment &environment, const FourSourcePlan &plan,
                             const CutStarts &starts, FirstVideoSound firstVideoSound)
{
    const AudioRule rule = environment.settings.audioRule;
    if (rule == AudioRule::LongestVideo
        || (rule == AudioRule::FirstVideo && firstVideoSound == FirstVideoSound::LikeLongest))
        return plan.sources[starts.soundSource].path;
    return {};
}

void PlanFourSourceOutput(ComposeEnvironment &environment, UsedSourceSets &used, int outputNumber,
                          FirstVideoSound firstVideoSound, OutputReport &report)
{
    OutputStatus status =
        OutputStatus::forOutput(environment, outputNumber, QDateTime::currentDateTime(), report);
    const std::optional<FourSourcePlan> plan = PlanFourSources(environment, used, status);
    if (!plan)
        return;  // the output would fail before its cuts
    const CutStarts starts = DrawCutStarts(plan->sources, plan->lengthSeconds, environment.random);
    ReportFourSources(*plan, starts, report);
    const AudioRule rule = environment.settings.audioRule;
    if (rule != AudioRule::LongestVideo && rule != AudioRule::FirstVideo)
        SoundTrackStep(environment, status).plan(plan->lengthSeconds, {});
    ReportFourSourceSound(environment, *plan, starts, firstVideoSound, report);
}

void ReportFourSourceSound(const ComposeEnvironment &environment, const FourSourcePlan &plan,
                           const CutStarts &starts, FirstVideoSound firstVideoSound, OutputReport &report)
{
    const AudioRule rule = environment.settings.audioRule;
    report.soundPath = rule == AudioRule::LongestVideo || rule == AudioRule::FirstVideo
                           ? FourSourceVideoSound(environment, plan, starts, firstVideoSound)
                           : environment.settings.fixedAudioText;
}
