#include "app/compose/SameVideoComposer.h"

#include "app/compose/CellNumber.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourUpFilter.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"

#include <QFileInfo>

SameVideoComposer::SameVideoComposer(ComposeEnvironment &environment) : m_env(environment)
{
}

OutputResult SameVideoComposer::compose(int outputNumber, const QDateTime &outputStart, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    m_env.random.reseed();
    const int entry = outputNumber;
    m_env.context.showVideoEntry(entry);

    const QString source = m_env.videos.fullPath(entry);
    reportVideo(entry, report);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return OutputResult::Skipped;

    SoundTrackStep::Result sound;  // no track: the video's own sound plays
    if (settings.audioRule != AudioRule::FirstVideo && settings.audioRule != AudioRule::LongestVideo) {
        const std::optional<double> videoSeconds =
            CellNumber(m_env.videos.cell(entry, SourceTable::Duration));
        if (!videoSeconds)
            return FailOutput(m_env, status);
        SoundTrackStep::Variant variant;
        variant.cutCodec = {QStringLiteral("-acodec"), QStringLiteral("copy")};
        variant.fillUpVideo = source;
        sound = SoundTrackStep(m_env, status).prepare(*videoSeconds, variant);
        report.soundPath = settings.fixedAudioText;  // a random pick's too
        if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
            return *ended;
    }

    // Without a track the four inputs are the same file, so its own sound plays.
    QStringList arguments = sound.trackInput();
    for (int i = 0; i < 4; ++i)
        arguments << QStringLiteral("-i") << source;
    // The track is mapped by hand, or the default selection could prefer
    // the video's own sound; the filter's unlabeled output is still mapped.
    arguments << QStringLiteral("-filter_complex") << DoubledFourUpFilter(sound.firstPictureInput())
              << sound.soundMapping() << FinalArgumentTail(settings.outputType, status.outputPath());
    return RunFinalComposition(m_env, status, arguments);
}

bool SameVideoComposer::plan(int outputNumber, OutputReport &report)
{
    m_env.random.reseed();
    const int entry = outputNumber;
    reportVideo(entry, report);
    const AudioRule rule = m_env.settings.audioRule;
    const std::optional<double> videoSeconds = CellNumber(m_env.videos.cell(entry, SourceTable::Duration));
    if (rule == AudioRule::FirstVideo || rule == AudioRule::LongestVideo || !videoSeconds)
        return true;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, QDateTime::currentDateTime(), report);
    report.soundPath = SoundTrackStep(m_env, status).plan(*videoSeconds, {});
    return true;
}

void SameVideoComposer::reportVideo(int entry, OutputReport &report) const
{
    // The whole video, with its own sound unless a rule gives an audio.
    const QString source = m_env.videos.fullPath(entry);
    report.sources = {{source, 0}};
    report.lengthSeconds = CellNumber(m_env.videos.cell(entry, SourceTable::Duration)).value_or(0);
    report.soundPath = source;
}
