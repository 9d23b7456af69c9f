#include "app/compose/FourSourceComposer.h"

#include "app/base/NumberText.h"
#include "app/compose/ClipCheck.h"
#include "app/compose/CutStarts.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourSourcePlan.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString Normalising = QStringLiteral("状态：视频时长归一化中...");

}  // namespace

FourSourceComposer::FourSourceComposer(ComposeEnvironment &environment)
    : m_env(environment),
      m_usedSets(environment.videos.entryCount(), 4)
{
}

OutputResult FourSourceComposer::compose(int outputNumber, const QDateTime &outputStart, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);

    const std::optional<FourSourcePlan> plan = PlanFourSources(m_env, m_usedSets, status);
    if (!plan)
        return FailOutput(m_env, status);
    const FourSources &sources = plan->sources;
    const QSize canvas = plan->canvas;
    const double length = plan->lengthSeconds;
    const QString lengthText = NumberText(length);

    // Cut each source to the common length; the four cuts run side by side.
    // The sound for the longest-video rule is that of the first source longer
    // than the length, cut like its picture, or else of the longest source.
    const bool reEncode = settings.preciseCut;
    const QString extractedAudio = m_env.workspacePath(QStringLiteral("Audio.mp3"));
    const CutStarts starts = DrawCutStarts(sources, length, m_env.random);
    ReportFourSources(*plan, starts, report);
    QStringList soundExtraction;
    QList<AskedClip> clips;
    for (int k = 0; k < 4; ++k) {
        const ChosenSource &source = sources[k];
        status.show(Normalising + QString::number(k + 1) + QStringLiteral("/4"));
        const QStringList input =
            MediaExtensions::inputSeek(starts.startTexts[k], source.path)
            + QStringList{QStringLiteral("-t"), lengthText, QStringLiteral("-i"), source.path};
        const QString extension = MediaExtensions::videoCutExtension(source.path);
        const QString clip = m_env.workspacePath(QString::number(k) + extension);
        QFile::remove(clip);  // a clip of an earlier output must not stand in for this one
        clips.append({clip, std::min(source.durationSeconds, length)});
        if (k == starts.soundSource) {
            // From the clip, not from the source: a clip starts where its
            // cut could start (a stream copy at a key frame, an MPEG-TS file
            // where its picture begins), and its sound must start there too.
            // Re-encoded: a sound that is not MP3 cannot be copied into Audio.mp3.
            soundExtraction = {QStringLiteral("-i"), clip,
                               QStringLiteral("-y"), QStringLiteral("-q:a"),
                               QStringLiteral("0"),  extractedAudio};
        }
        QStringList arguments =
            input
            + QStringList{QStringLiteral("-y"), QStringLiteral("-q:v"), QStringLiteral("0"),
                          QStringLiteral("-q:a"), QStringLiteral("0")};
        if (reEncode)
            arguments << MediaExtensions::evenFrameFor(extension)
                      << MediaExtensions::pixelFormatFor(extension) << clip;
        else
            arguments << QStringLiteral("-c") << QStringLiteral("copy") << clip;
        m_env.runner.startTool(arguments);
    }
    const auto cutStatus = [&status, reEncode] {
        return reEncode ? Normalising + status.timesText() : Normalising;
    };
    if (m_env.runner.waitForTool(cutStatus) == ToolRunResult::Stopped)
        return OutputResult::Stopped;

    if (const std::optional<QString> reason = CheckClips(m_env.outputProber, clips))
        return FailOutput(m_env, status, *reason);

    SoundTrackStep::Variant variant;
    variant.videoSoundExtraction = soundExtraction;
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(length, variant);
    ReportFourSourceSound(m_env, *plan, starts, FirstVideoSound::ToolsChoice, report);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;

    const FourUpLayout::Placement placement =
        settings.noSpace ? FourUpLayout::Placement::EdgeToEdge : FourUpLayout::Placement::Corners;
    QStringList arguments = sound.trackInput();
    for (const AskedClip &clip : std::as_const(clips))
        arguments << QStringLiteral("-i") << clip.path;
    // With a track it is mapped by hand (see the same-video composer). A
    // longest video without sound leaves the output silent: the default
    // selection would take another video's sound.
    arguments << QStringLiteral("-filter_complex")
              << FourUpLayout::overlayFilter(sound.firstPictureInput(), canvas,
                                             FourUpLayout::positions(sources, canvas, placement),
                                             settings.outputType)
              << sound.soundMapping() << FinalArgumentTail(settings.outputType, status.outputPath(), length);
    return RunFinalComposition(m_env, status, arguments);
}

bool FourSourceComposer::plan(int outputNumber, OutputReport &report)
{
    PlanFourSourceOutput(m_env, m_usedSets, outputNumber, FirstVideoSound::ToolsChoice, report);
    return true;
}
