#include "app/compose/OnePassComposer.h"

#include "app/base/NumberText.h"
#include "app/compose/CutStarts.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourSourcePlan.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"

OnePassComposer::OnePassComposer(ComposeEnvironment &environment)
    : m_env(environment),
      m_usedSets(environment.videos.entryCount(), 4)
{
}

OutputResult OnePassComposer::compose(int outputNumber, const QDateTime &outputStart, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    // The draws in the order of the four-source composer, so that a seed
    // gives the same output either way.
    const std::optional<FourSourcePlan> plan = PlanFourSources(m_env, m_usedSets, status);
    if (!plan)
        return FailOutput(m_env, status);
    const CutStarts starts = DrawCutStarts(plan->sources, plan->lengthSeconds, m_env.random);
    ReportFourSources(*plan, starts, report);

    // A chosen audio is cut by the final step as it reads it; the
    // longest-video rule maps that video's sound below.
    SoundTrackStep::Variant variant;
    variant.audioCut = SoundTrackStep::AudioCut::InFinalStep;
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(plan->lengthSeconds, variant);
    ReportFourSourceSound(m_env, *plan, starts, FirstVideoSound::ToolsChoice, report);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;
    const int firstVideo = sound.firstPictureInput();

    QStringList arguments = sound.trackInput();
    const QString lengthText = NumberText(plan->lengthSeconds);
    for (int k = 0; k < 4; ++k) {
        const QString &path = plan->sources[k].path;
        arguments << MediaExtensions::inputSeek(starts.startTexts[k], path) << QStringLiteral("-t")
                  << lengthText << QStringLiteral("-i") << path;
    }
    const FourUpLayout::Placement placement =
        settings.noSpace ? FourUpLayout::Placement::EdgeToEdge : FourUpLayout::Placement::Corners;
    const FourUpLayout::Positions at = FourUpLayout::positions(plan->sources, plan->canvas, placement);
    // Copying each input once is much quicker than the overlays, which copy
    // the whole canvas for each; where it cannot give the same picture, the
    // overlays stay.
    std::optional<QString> stacked;
    if (const std::optional<ConstantFrameRate> rate = commonFrameRate(plan->sources))
        stacked = FourUpLayout::stackFilter(firstVideo, plan->sources, plan->canvas, at, *rate);
    const QString filter =
        stacked.value_or(FourUpLayout::overlayFilter(firstVideo, plan->canvas, at, settings.outputType));
    if (sound.hasTrack()) {
        arguments << QStringLiteral("-filter_complex") << filter << QStringLiteral("-map")
                  << QStringLiteral("0:a");
    } else if (settings.audioRule == AudioRule::LongestVideo) {
        // "?": a silent video leaves the output silent instead of failing it.
        // The picture is mapped by name too: with no map standing, the tool
        // would pick another video's sound by itself.
        arguments << QStringLiteral("-filter_complex") << filter + QStringLiteral("[v]")
                  << QStringLiteral("-map") << QStringLiteral("[v]") << QStringLiteral("-map")
                  << QString::number(firstVideo + starts.soundSource) + QStringLiteral(":a?");
    } else {
        arguments << QStringLiteral("-filter_complex") << filter;
    }
    // Cut to L: the stacked picture holds a source's last frame, and a
    // sound shorter than the picture would otherwise not end it.
    arguments << FinalArgumentTail(settings.outputType, status.outputPath(), plan->lengthSeconds);
    return RunFinalComposition(m_env, status, arguments);
}

std::optional<ConstantFrameRate> OnePassComposer::commonFrameRate(const FourSources &sources)
{
    if (!m_env.outputProber)
        return std::nullopt;
    std::optional<ConstantFrameRate> common;
    for (const ChosenSource &source : sources) {
        auto known = m_frameRates.constFind(source.path);
        if (known == m_frameRates.cend())
            known = m_frameRates.insert(source.path, m_env.outputProber->probeConstantFrameRate(source.path));
        if (!known.value() || (common && !(*common == *known.value())))
            return std::nullopt;
        common = known.value();
    }
    return common;
}

bool OnePassComposer::plan(int outputNumber, OutputReport &report)
{
    PlanFourSourceOutput(m_env, m_usedSets, outputNumber, FirstVideoSound::ToolsChoice, report);
    return true;
}
