#include "app/compose/MixedComposer.h"

#include "app/base/NumberText.h"
#include "app/compose/CellNumber.h"
#include "app/compose/ClipCheck.h"
#include "app/compose/CommonLength.h"
#include "app/compose/EntryPool.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/PictureClip.h"
#include "app/compose/PictureFrames.h"
#include "app/compose/QuadrantFit.h"
#include "app/compose/RandomStart.h"
#include "app/compose/SoundTrackStep.h"
#include "app/library/MediaProber.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Heads or tails: the integer part of random x 10, modulo 2.
MixedComposer::ClipKind tossCoin(RandomSource &random)
{
    random.reseed();
    return int(random.next() * 10) % 2 == 0 ? MixedComposer::ClipKind::Video
                                            : MixedComposer::ClipKind::Picture;
}

}  // namespace

MixedComposer::MixedComposer(ComposeEnvironment &environment) : m_env(environment)
{
}

QString MixedComposer::clipPath(int k) const
{
    return m_env.workspacePath(QString::number(k) + QLatin1Char('.') + m_env.settings.outputType);
}

QString MixedComposer::overlayFilter(int firstInput, QSize output, const std::array<QSize, 4> &sizes,
                                     Placement placement, const QString &outputType)
{
    const QSize padded = MediaExtensions::encodableSize(output, outputType);
    const auto input = [firstInput](int clip) { return QStringLiteral("[%1:v]").arg(firstInput + clip); };
    if (placement == Placement::Packed) {
        return input(0) + QStringLiteral("pad=%1:%2[a];[a]").arg(padded.width()).arg(padded.height())
               + input(1) + QStringLiteral("overlay=%1[b];[b]").arg(sizes[0].width()) + input(2)
               + QStringLiteral("overlay=0:%1[c];[c]").arg(sizes[0].height()) + input(3)
               + QStringLiteral("overlay=%1:%2").arg(sizes[2].width()).arg(sizes[1].height());
    }
    const auto at = [&](int clip) { return QuadrantPosition(clip, sizes[clip], output); };
    return input(0)
           + QStringLiteral("pad=%1:%2:%3:%4[a];[a]")
                 .arg(padded.width())
                 .arg(padded.height())
                 .arg(at(0).x())
                 .arg(at(0).y())
           + input(1) + QStringLiteral("overlay=%1:%2[b];[b]").arg(at(1).x()).arg(at(1).y()) + input(2)
           + QStringLiteral("overlay=%1:%2[c];[c]").arg(at(2).x()).arg(at(2).y()) + input(3)
           + QStringLiteral("overlay=%1:%2").arg(at(3).x()).arg(at(3).y());
}

OutputResult MixedComposer::compose(int outputNumber, const QDateTime &outputStart, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    const QSize output = PictureModeOutputSize(settings);

    m_env.random.reseed();
    const std::optional<double> length = OutputLength(settings, m_env.random);
    const std::optional<int> pictureCount = PictureClip::picturesPerClip(settings, m_env.random);
    if (!length || *length <= 0 || !pictureCount)
        return FailOutput(m_env, status);

    status.show(QStringLiteral("状态：临时文件清理中..."));
    PictureFrames frames(m_env.workspacePath(QStringLiteral("Images")));
    if (!frames.reset())
        return FailOutput(m_env, status);

    // The top two quadrants hold one clip of each kind; each bottom one either.
    std::array<ClipKind, 4> kinds{};
    kinds[0] = tossCoin(m_env.random);
    kinds[1] = kinds[0] == ClipKind::Video ? ClipKind::Picture : ClipKind::Video;

    EntryPool videoRows(m_env.videos.entryCount());
    EntryPool pictures(m_env.pictures.entryCount());
    PictureClip pictureClip(m_env, pictures, frames, output, PictureClip::Placement::Centred);
    QuadrantClips clips;
    for (int k = 1; k <= 4; ++k) {
        if (k >= 3)
            kinds[k - 1] = tossCoin(m_env.random);
        // No new tool run after the user stopped.
        if (m_env.context.stopRequested())
            return OutputResult::Stopped;
        const StepResult step =
            kinds[k - 1] == ClipKind::Video
                ? prepareMixedVideoClip(videoRows, clips, k, *length)
                : prepareMixedPictureClip(*pictureCount, pictureClip, clips, k, *length, status);
        if (step == StepResult::Stopped)
            return OutputResult::Stopped;
        if (step == StepResult::Failed)
            return FailOutput(m_env, status);
    }

    const auto preparing = [&status, outputNumber, &settings] {
        return QStringLiteral("状态：视频预处理中...") + QString::number(outputNumber) + QLatin1Char('/')
               + settings.maxText + QStringLiteral("；") + status.timesText();
    };
    if (m_env.runner.waitForTool(preparing) == ToolRunResult::Stopped)
        return OutputResult::Stopped;
    QList<AskedClip> asked;
    for (const QuadrantClip &clip : clips)
        asked.append({clip.path, clip.lengthSeconds});
    if (const std::optional<QString> reason = CheckClips(m_env.outputProber, asked))
        return FailOutput(m_env, status, *reason);

    // The sound of the first video clip, or of the longest one.
    const auto extraction = [this](const QString &clip) {
        return QStringList{QStringLiteral("-i"),    clip,
                           QStringLiteral("-y"),    QStringLiteral("-q:a"),
                           QStringLiteral("0"),     QStringLiteral("-ar"),
                           QStringLiteral("44100"), QStringLiteral("-b:a"),
                           QStringLiteral("192k"),  QStringLiteral("-ac"),
                           QStringLiteral("2"),     m_env.workspacePath(QStringLiteral("Audio.mp3"))};
    };
    SoundTrackStep::Variant variant;
    variant.cutName = QStringLiteral("Audio");
    variant.cutCodec = {QStringLiteral("-acodec"), QStringLiteral("copy")};
    variant.extractionStatus = QStringLiteral("状态：音频预处理中...");
    double longestSeconds = 0;
    for (const QuadrantClip &clip : clips) {
        if (clip.kind != ClipKind::Video)
            continue;
        if (variant.firstVideoSoundExtraction.isEmpty())
            variant.firstVideoSoundExtraction = extraction(clip.path);
        const std::optional<double> seconds =
            m_env.outputProber ? m_env.outputProber->probeDuration(clip.path) : std::nullopt;
        if (seconds && *seconds > longestSeconds) {
            longestSeconds = *seconds;
            variant.videoSoundExtraction = extraction(clip.path);
        }
    }
    status.show(QStringLiteral("状态：音频预处理中..."));
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(*length, variant);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;

    std::array<QSize, 4> sizes;
    for (int k = 0; k < 4; ++k) {
        const std::optional<QSize> probed =
            m_env.outputProber ? m_env.outputProber->probeFrameSize(clips[k].path) : clips[k].size;
        if (!probed || probed->isEmpty())
            return FailOutput(m_env, status);
        sizes[k] = *probed;
    }

    // The video clips keep their own sound: the track is mapped by hand, and
    // a silent video asked for leaves the output silent. Cut to L: clips of
    // 20 and 25 frames per second (and a video cut's extra frame) would
    // otherwise run on by a frame or two.
    QStringList arguments = sound.trackInput();
    for (const QuadrantClip &clip : clips)
        arguments << QStringLiteral("-i") << clip.path;
    arguments << QStringLiteral("-filter_complex")
              << overlayFilter(sound.firstPictureInput(), output, sizes,
                               settings.noSpace ? Placement::Packed : Placement::Centred, settings.outputType)
              << sound.soundMapping() << FinalArgumentTail(settings.outputType, status.outputPath(), *length);
    return RunFinalComposition(m_env, status, arguments);
}

MixedComposer::StepResult MixedComposer::prepareMixedVideoClip(EntryPool &usedVideoRows, QuadrantClips &clips,
                                                               int k, double lengthSeconds)
{
    const QSize output = PictureModeOutputSize(m_env.settings);
    m_env.context.setStatus(QStringLiteral("状态：视频源随机抽取中..") + QString::number(k)
                            + QStringLiteral("/4"));
    // A row without a usable size or length, or whose file is gone, is
    // skipped for another.
    for (;;) {
        const int row = usedVideoRows.draw(m_env.random);
        if (row == 0)
            return StepResult::Failed;
        const QString source = m_env.videos.fullPath(row);
        const std::optional<int> width = CellWholeNumber(m_env.videos.cell(row, SourceTable::Width));
        const std::optional<int> height = CellWholeNumber(m_env.videos.cell(row, SourceTable::Height));
        const std::optional<double> duration = CellNumber(m_env.videos.cell(row, SourceTable::Duration));
        const std::optional<QSize> fitted =
            width && height ? FitIntoQuadrantEven(QSize(*width, *height), output) : std::nullopt;
        if (!fitted || !duration || !QFileInfo(source).isFile()) {
            usedVideoRows.markUnusable(row);
            continue;
        }

        const QString clip = clipPath(k);
        QFile::remove(clip);  // a clip of an earlier output must not stand in for this one
        clips[k - 1] = {ClipKind::Video, clip, *fitted, std::min(*duration, lengthSeconds)};
        QStringList arguments;
        if (*duration > lengthSeconds) {
            m_env.random.reseed();
            arguments << MediaExtensions::inputSeek(RandomStartText(*duration - lengthSeconds, m_env.random),
                                                    source)
                      << QStringLiteral("-t") << NumberText(lengthSeconds);
        }
        arguments << QStringLiteral("-i") << source << QStringLiteral("-y") << QStringLiteral("-q:a")
                  << QStringLiteral("0") << QStringLiteral("-q:v") << QStringLiteral("0")
                  << QStringLiteral("-s")
                  << QStringLiteral("%1:%2").arg(fitted->width()).arg(fitted->height())
                  << MediaExtensions::pixelFormatFor(m_env.settings.outputType) << clip;
        m_env.runner.startTool(arguments);
        return StepResult::Done;
    }
}

MixedComposer::StepResult MixedComposer::prepareMixedPictureClip(int pictureCount, PictureClip &pictureClip,
                                                                 QuadrantClips &clips, int k,
                                                                 double lengthSeconds, OutputStatus &status)
{
    const QString clip = clipPath(k);
    clips[k - 1] = {ClipKind::Picture, clip, QuadrantCanvasSize(PictureModeOutputSize(m_env.settings)),
                    lengthSeconds};
    PictureClip::Texts texts;
    texts.drawing = [](int j, int n) {
        return QStringLiteral("状态：图片源随机抽取中..") + QString::number(j) + QLatin1Char('/')
               + QString::number(n);
    };
    texts.framing = [&status](int, int, int j, int n) {
        return QStringLiteral("状态：图片源转视频帧预处理中...") + QString::number(j) + QLatin1Char('/')
               + QString::number(n) + QStringLiteral("；") + status.timesText();
    };
    QString sizeText;
    texts.encoding = [&status, &sizeText, &clip, k] {
        sizeText = OutputStatus::sizeText(clip, sizeText);
        return QStringLiteral("状态：图片源转视频预处理中..") + sizeText + QStringLiteral("；")
               + QString::number(k) + QStringLiteral("/4；") + status.timesText();
    };
    const int framesPerPicture = PictureClip::framesPerPicture(lengthSeconds, pictureCount);
    const QString painted = m_env.workspacePath(QString::number(k) + QStringLiteral(".jpg"));
    switch (pictureClip.make(pictureCount, framesPerPicture, lengthSeconds, painted, clip, texts)) {
    case PictureClip::Outcome::Made:
        return StepResult::Done;
    case PictureClip::Outcome::Stopped:
        return StepResult::Stopped;
    case PictureClip::Outcome::NoPicture:
    case PictureClip::Outcome::Failed:
        break;
    }
    return StepResult::Failed;
}
