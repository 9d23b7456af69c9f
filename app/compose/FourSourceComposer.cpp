#include "app/compose/FourSourceComposer.h"

#include "app/compose/CommonLength.h"
#include "app/compose/ComposeEnvironment.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/RandomSource.h"
#include "app/compose/RandomStart.h"
#include "app/compose/SoundTrackStep.h"
#include "app/compose/SourceDraw.h"
#include "app/run/NumberText.h"
#include "app/run/OutputPath.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString Normalising = QStringLiteral("状态：视频时长归一化中...");

// The pad and overlay filter of four clips that follow firstInput.
QString overlayFilter(int firstInput, QSize canvas, const FourUpLayout::Positions &at)
{
    // H.264 takes only even frame sizes: the canvas grows by a black line
    // where a sum is odd; the placements stay as computed.
    const int padWidth = canvas.width() + (canvas.width() & 1);
    const int padHeight = canvas.height() + (canvas.height() & 1);
    return QStringLiteral("[%1:v]pad=%2:%3[a];[a][%4:v]overlay=%5[b];[b][%6:v]overlay=0:%7[c];"
                          "[c][%8:v]overlay=%9:%10")
        .arg(firstInput).arg(padWidth).arg(padHeight)
        .arg(firstInput + 1).arg(at.x1)
        .arg(firstInput + 2).arg(at.y2)
        .arg(firstInput + 3).arg(at.x3).arg(at.y3);
}

}  // namespace

FourSourceComposer::FourSourceComposer(ComposeEnvironment &environment) : m_env(environment) {}

bool FourSourceComposer::prepare(Workspace &)
{
    return true;
}

OutputResult FourSourceComposer::compose(int outputNumber, const QDateTime &outputStart)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status(m_env.context, OutputPath(settings, outputNumber), outputNumber,
                        settings.maxText, outputStart, m_env.runStartTime);
    m_env.random.reseed();

    const std::optional<DrawnSources> drawn = DrawSources(m_env.videos, 4, m_env.random, m_env.context);
    if (!drawn)
        return status.fail();
    FourSources sources;
    std::copy(drawn->sources.begin(), drawn->sources.end(), sources.begin());
    status.show(QStringLiteral("状态：已抽取视频源预处理中..."));
    for (const ChosenSource &source : sources) {
        // A source that is gone would fail its cut and leave the clip of an
        // earlier output in its place.
        if (!QFileInfo(source.path).isFile())
            return status.fail();
    }

    FourUpLayout::orderByWidth(sources, settings.lengthRule);
    const QSize canvas = FourUpLayout::canvasSize(sources);
    const std::optional<double> target =
        CommonLength(settings, sources, drawn->longestSeconds, drawn->shortestSeconds, m_env.random);
    if (!target)
        return status.fail();
    const QString lengthText = NumberText(*target);

    // Cut each source to the common length; the four cuts run side by side.
    // The sound for the longest-video rule is that of the first source longer
    // than the length, cut like its picture, or else of the longest source.
    const bool reEncode = settings.preciseCut;
    const QString extractedAudio = m_env.workspacePath(QStringLiteral("Audio.mp3"));
    double longestSoFar = 0;
    bool cutFound = false;
    QStringList soundExtraction;
    QStringList clips;
    for (int k = 0; k < 4; ++k) {
        const ChosenSource &source = sources[k];
        status.show(Normalising + QString::number(k + 1) + QStringLiteral("/4"));
        QString start = QStringLiteral("0");
        const bool longer = source.durationSeconds > *target;
        if (longer)
            start = RandomStartText(source.durationSeconds - *target, m_env.random);
        const QStringList input = MediaExtensions::inputSeek(start, source.path)
                                  + QStringList{QStringLiteral("-t"), lengthText, QStringLiteral("-i"), source.path};
        if ((longer && !cutFound) || (!longer && !cutFound && source.durationSeconds > longestSoFar)) {
            cutFound = longer;
            longestSoFar = source.durationSeconds;
            // Re-encoded in both cut modes: a stream copy of a sound that is
            // not MP3 cannot be written into Audio.mp3.
            soundExtraction = input + QStringList{QStringLiteral("-y"), QStringLiteral("-q:a"), QStringLiteral("0"),
                                                  extractedAudio};
        }
        const QString extension = MediaExtensions::videoCutExtension(source.path);
        const QString clip = m_env.workspacePath(QString::number(k) + extension);
        QFile::remove(clip);  // a clip of an earlier output must not stand in for this one
        clips.append(clip);
        QStringList arguments = input + QStringList{QStringLiteral("-y"), QStringLiteral("-q:v"), QStringLiteral("0"),
                                                    QStringLiteral("-q:a"), QStringLiteral("0")};
        if (reEncode)
            arguments << MediaExtensions::pixelFormatFor(extension) << clip;
        else
            arguments << QStringLiteral("-c") << QStringLiteral("copy") << clip;
        m_env.runner.startTool(arguments);
    }
    const auto cutStatus = [&status, reEncode] {
        return reEncode ? Normalising + status.timesText() : Normalising;
    };
    if (m_env.runner.waitForTool(cutStatus, PauseFirst::No) == ToolRunResult::Stopped)
        return OutputResult::Stopped;

    SoundTrackStep::Variant variant;
    variant.videoSoundExtraction = soundExtraction;
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(*target, variant);
    if (sound.outcome == SoundTrackStep::Outcome::Stopped)
        return OutputResult::Stopped;
    if (sound.outcome == SoundTrackStep::Outcome::Failed)
        return status.fail();
    const bool withTrack = sound.outcome == SoundTrackStep::Outcome::Track;

    const FourUpLayout::Placement placement =
        settings.noSpace ? FourUpLayout::Placement::EdgeToEdge : FourUpLayout::Placement::Corners;
    QStringList arguments;
    if (withTrack)
        arguments << QStringLiteral("-i") << sound.track;
    for (const QString &clip : std::as_const(clips))
        arguments << QStringLiteral("-i") << clip;
    arguments << QStringLiteral("-filter_complex")
              << overlayFilter(withTrack ? 1 : 0, canvas, FourUpLayout::positions(sources, canvas, placement));
    // With a track it is mapped by hand (see the same-video composer).
    if (withTrack)
        arguments << QStringLiteral("-map") << QStringLiteral("0:a");
    arguments << QStringLiteral("-y") << QStringLiteral("-q:v") << QStringLiteral("0") << QStringLiteral("-q:a")
              << QStringLiteral("0") << MediaExtensions::pixelFormatFor(settings.outputType) << status.outputPath();
    return RunFinalComposition(m_env, status, arguments);
}
