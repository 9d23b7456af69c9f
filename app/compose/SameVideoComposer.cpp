#include "app/compose/SameVideoComposer.h"

#include "app/compose/CellNumber.h"
#include "app/run/ComposeEnvironment.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourUpFilter.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/run/RandomSource.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/RunContext.h"

#include <QFileInfo>

SameVideoComposer::SameVideoComposer(ComposeEnvironment &environment) : m_env(environment) {}

OutputResult SameVideoComposer::compose(int outputNumber, const QDateTime &outputStart, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    m_env.random.reseed();
    const int entry = outputNumber;
    m_env.context.showVideoEntry(entry);

    const QString source = m_env.videos.fullPath(entry);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return OutputResult::Skipped;

    SoundTrackStep::Result sound;  // no track: the video's own sound plays
    if (settings.audioRule != AudioRule::FirstVideo && settings.audioRule != AudioRule::LongestVideo) {
        const std::optional<double> videoSeconds = CellNumber(m_env.videos.cell(entry, SourceTable::Duration));
        if (!videoSeconds)
            return FailOutput(m_env, status);
        SoundTrackStep::Variant variant;
        variant.cutCodec = {QStringLiteral("-acodec"), QStringLiteral("copy")};
        variant.fillUpVideo = source;
        sound = SoundTrackStep(m_env, status).prepare(*videoSeconds, variant);
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
