#include "app/compose/VideoSlideShowComposer.h"

#include "app/base/NumberText.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FrameSeries.h"
#include "app/compose/ImageLibrary.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/PictureFrames.h"
#include "app/compose/QuadrantFit.h"
#include "app/compose/SoundTrackStep.h"
#include "app/compose/SourceDraw.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"
#include "app/run/Workspace.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

const QString MakingSlides = QStringLiteral("状态：幻灯片帧制作中...");

// Empties a folder of this run's workspace, so that no file of an earlier
// output stands in for one that a failed step did not write. Only an absolute
// path is touched (an empty one would name the current folder).
void emptyFolder(const QString &path)
{
    if (!QDir::isAbsolutePath(path))
        return;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
}

bool hasPixels(const QString &framePath)
{
    const QSize size = ImageLibrary::sizeOf(framePath);
    return size.isValid() && !size.isEmpty();
}

}  // namespace

// What one output has grabbed and written so far.
struct VideoSlideShowComposer::Slides {
    explicit Slides(const QString &frameFolder) : frames(frameFolder) {}
    PictureFrames frames;  // the output frames written so far
    int outputNumber = 0;
    int videoCount = 0;       // n
    int framesPerVideo = 0;   // m
    double slideSeconds = 0;  // P
    int grabCounter = 0;
    QStringList grabbed;            // four-frame slides: every grab in order
    QVector<QStringList> perVideo;  // one video after another: the grabs of each
    QList<SourceUse> grabs;         // every grab's video and offset, in order
};

VideoSlideShowComposer::VideoSlideShowComposer(ComposeEnvironment &environment)
    : m_env(environment),
      m_canvas(environment.settings.outputWidth, environment.settings.outputHeight),
      m_grabFolder(environment.workspacePath(QStringLiteral("Tmp/SrcImg"))),
      m_frameFolder(environment.workspacePath(QStringLiteral("Tmp/Images"))),
      m_usedSets(environment.videos.entryCount(), environment.settings.videoDrawCount)
{
    if (!m_canvas.isEmpty())
        m_blank = ImageLibrary::newCanvas(m_canvas);
}

bool VideoSlideShowComposer::prepare(Workspace &workspace)
{
    if (m_canvas.isEmpty()) {
        m_env.context.setStatus(QStringLiteral("状态：幻灯片需要指定输出尺寸！"));
        return false;
    }
    canvas() = m_blank;
    return true;
}

// ---- rules ---------------------------------------------------------------------

QStringList VideoSlideShowComposer::grabOffsets(double durationSeconds, int count, RandomSource &random)
{
    const double span = std::max(0.0, durationSeconds - 1.0 / FramesPerSecond);
    QSet<QString> used;
    QStringList offsets;
    for (int k = 0; k < count; ++k) {
        QString offset;
        for (int draw = 0; draw <= OffsetRedraws; ++draw) {
            random.reseed();
            offset = NumberText(RoundHalfEven(span * random.next(), 3));
            if (!used.contains(offset))
                break;
        }
        used.insert(offset);
        offsets.append(offset);
    }
    return offsets;
}

int VideoSlideShowComposer::pickIndex(int count, RandomSource &random)
{
    random.reseed();
    return std::clamp(int(random.next() * count), 0, std::max(count - 1, 0));
}

QPoint VideoSlideShowComposer::centred(QSize canvas, QSize frame)
{
    return {int(RoundHalfEven((canvas.width() - frame.width()) / 2.0)),
            int(RoundHalfEven((canvas.height() - frame.height()) / 2.0))};
}

// ---- one output ----------------------------------------------------------------

OutputResult VideoSlideShowComposer::compose(int outputNumber, const QDateTime &outputStart,
                                             OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    m_status = &status;
    m_env.random.reseed();

    Slides slides(m_frameFolder);
    slides.outputNumber = outputNumber;
    slides.videoCount = settings.videoDrawCount;
    slides.framesPerVideo = int(RoundHalfEven(
        settings.pictureRange ? settings.pictureRange->minimum : LeadingNumber(settings.pictureRangeText)));
    slides.slideSeconds = settings.slideSeconds;
    if (m_canvas.isEmpty() || slides.videoCount < 1 || slides.framesPerVideo < 1 || slides.slideSeconds <= 0)
        return status.fail();
    emptyFolder(m_grabFolder);
    if (!slides.frames.reset())
        return status.fail();

    const std::optional<DrawnSources> drawn =
        DrawDistinctSources(m_env.videos, slides.videoCount, m_env.random, m_env.context, m_usedSets);
    if (!drawn)
        return status.fail();
    slides.perVideo.resize(slides.videoCount);
    for (int j = 1; j <= slides.videoCount; ++j) {
        const ChosenSource &source = drawn->sources.at(j - 1);
        const bool grabbed = grabFrames(j, source.path, source.durationSeconds, slides);
        report.sources = slides.grabs;
        if (!grabbed)
            return OutputResult::Stopped;
    }
    report.lengthSeconds = settings.reuse ? slides.videoCount * slides.slideSeconds
                                          : slides.videoCount * slides.slideSeconds / 4;

    const int budget = int(RoundHalfEven(slides.slideSeconds * FramesPerSecond));
    status.show(MakingSlides + QStringLiteral("0/") + QString::number(budget) + QStringLiteral("之")
                + QString::number(slides.videoCount + 1) + QLatin1Char('/')
                + QString::number(slides.videoCount) + slideStatusTail());
    const OutputResult painted = settings.reuse ? paintVideoAfterVideo(slides) : paintFourFrameSlides(slides);
    if (painted != OutputResult::Done)
        return painted;

    // The sound track lasts as long as the slides.
    const double lengthSeconds = settings.reuse ? slides.videoCount * slides.slideSeconds
                                                : slides.videoCount * slides.slideSeconds / 4;
    const SoundTrackStep::Variant variant = soundVariant(*drawn, lengthSeconds);
    SoundTrackStep soundTrack(m_env, status);
    const SoundTrackStep::Result sound = soundTrack.prepare(lengthSeconds, variant);
    report.soundPath = soundTrack.soundUsed(variant);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;

    QStringList evenFrame;
    const QSize encoded = MediaExtensions::encodableSize(m_canvas, settings.outputType);
    if (encoded != m_canvas)
        evenFrame << QStringLiteral("-vf")
                  << QStringLiteral("pad=%1:%2").arg(encoded.width()).arg(encoded.height());
    return RunJpegSeriesComposition(m_env, status, sound, m_frameFolder, FramesPerSecond, lengthSeconds,
                                    evenFrame);
}

SoundTrackStep::Variant VideoSlideShowComposer::soundVariant(const DrawnSources &drawn,
                                                             double lengthSeconds) const
{
    const auto soundOf = [this, lengthSeconds](const QString &video) {
        return MediaExtensions::inputSeek(QStringLiteral("0"), video)
               + QStringList{QStringLiteral("-t"), NumberText(lengthSeconds),
                             QStringLiteral("-i"), video,
                             QStringLiteral("-y"), QStringLiteral("-q:a"),
                             QStringLiteral("0"),  m_env.workspacePath(QStringLiteral("Audio.mp3"))};
    };
    const auto longest = std::max_element(
        drawn.sources.begin(), drawn.sources.end(),
        [](const ChosenSource &a, const ChosenSource &b) { return a.durationSeconds < b.durationSeconds; });
    SoundTrackStep::Variant variant;
    variant.videoSoundExtraction = soundOf(longest->path);
    variant.firstVideoSoundExtraction = soundOf(drawn.sources.first().path);
    return variant;
}

QStringList VideoSlideShowComposer::grabArguments(const QString &offset, const QString &video,
                                                  const QString &frame)
{
    // The seek stands before the input: the tool then jumps to the offset
    // instead of decoding the video from its start. One frame, not 0.001 s:
    // the tool drops a first frame that lies more than half a frame of 25
    // fps after the offset, which in a 24 or 15 fps video is often the case.
    // "-update 1": the file is written under exactly its name, which the
    // image-sequence writer would otherwise read as a pattern ("%d" in a
    // folder name).
    return MediaExtensions::inputSeek(offset, video)
           + QStringList{QStringLiteral("-i"),     video,
                         QStringLiteral("-y"),     QStringLiteral("-frames:v"),
                         QStringLiteral("1"),      QStringLiteral("-q:v"),
                         QStringLiteral("0"),      QStringLiteral("-f"),
                         QStringLiteral("image2"), QStringLiteral("-update"),
                         QStringLiteral("1"),      frame};
}

bool VideoSlideShowComposer::grabFrames(int video, const QString &path, double durationSeconds,
                                        Slides &slides)
{
    const bool perVideo = m_env.settings.reuse;
    const QString folder =
        perVideo ? m_grabFolder + QDir::separator() + QString::number(video) : m_grabFolder;
    QDir().mkpath(folder);
    const QStringList offsets = grabOffsets(durationSeconds, slides.framesPerVideo, m_env.random);
    for (int k = 1; k <= offsets.size(); ++k) {
        const QString offset = offsets.at(k - 1);
        slides.grabs.append({path, offset.toDouble()});
        const QString frame =
            folder + QDir::separator() + FrameSeries::frameFileName(perVideo ? k : ++slides.grabCounter);
        const QStringList arguments = grabArguments(offset, path, frame);
        const QString status = QStringLiteral("状态：视频源随机帧抽取中...") + QString::number(k)
                               + QLatin1Char('/') + QString::number(slides.framesPerVideo)
                               + QStringLiteral("之") + QString::number(video) + QLatin1Char('/')
                               + QString::number(slides.videoCount) + slideStatusTail();
        if (m_env.runner.runTool(arguments, status) == ToolRunResult::Stopped)
            return false;
        (perVideo ? slides.perVideo[video - 1] : slides.grabbed).append(frame);
    }
    return true;
}

OutputResult VideoSlideShowComposer::paintFourFrameSlides(Slides &slides)
{
    // A grab that failed wrote nothing or a frame without pixels: skipped.
    QStringList usable;
    std::copy_if(slides.grabbed.begin(), slides.grabbed.end(), std::back_inserter(usable), hasPixels);
    const int slideCount = slides.framesPerVideo * slides.videoCount / 4;
    const double framesPerSlide = slides.slideSeconds * FramesPerSecond / slides.framesPerVideo;
    const QString frameTotal = NumberText(slides.framesPerVideo * slides.videoCount * framesPerSlide / 4);
    const QSize quarter(m_canvas.width() / 2, m_canvas.height() / 2);
    QStringList pool = usable;
    for (int s = 1; s <= slideCount && !usable.isEmpty(); ++s) {
        if (stopSeen())
            return OutputResult::Stopped;
        QImage &slide = canvas();
        slide = m_blank;
        for (int q = 0; q < 4 && !usable.isEmpty(); ++q) {
            // Every frame not shown yet has the same odds; an unreadable one
            // is dropped and the next is drawn in its place. Frames are shown
            // again only when failed grabs left too few.
            QImage frame;
            while (frame.isNull() && !usable.isEmpty()) {
                if (pool.isEmpty())
                    pool = usable;
                const QString path = pool.takeAt(pickIndex(int(pool.size()), m_env.random));
                frame = ImageLibrary::load(path);
                if (frame.isNull())
                    usable.removeAll(path);
            }
            if (const std::optional<QSize> size = FitInto(frame.size(), quarter))
                ImageLibrary::paint(slide, ImageLibrary::stretched(frame, *size),
                                    QRect(QuadrantPosition(q, *size, m_canvas), *size));
        }
        if (usable.isEmpty())
            break;
        if (!writeSlide(slide, std::max(1, int(framesPerSlide)), slides))
            return m_status->fail();
        m_status->show(MakingSlides + QString::number(slides.frames.frameCount()) + QLatin1Char('/')
                       + frameTotal + slideStatusTail());
    }
    // No frame at all could be grabbed: there is nothing to show.
    if (slides.frames.frameCount() == 0)
        return m_status->fail();
    const double lengthSeconds = slides.videoCount * slides.slideSeconds / 4;
    if (!repeatLastFrame(int(RoundHalfEven(lengthSeconds * FramesPerSecond)) - (slides.frames.frameCount()),
                         slides))
        return m_status->fail();
    return OutputResult::Done;
}

OutputResult VideoSlideShowComposer::paintVideoAfterVideo(Slides &slides)
{
    // Every video fills its P seconds, shared evenly among its frames that
    // could be grabbed; a video of which none could be leaves its time to the
    // padding at the end.
    const int budget = int(RoundHalfEven(slides.slideSeconds * FramesPerSecond));
    const bool fourQuarters = m_env.settings.slideFourSplit;
    for (int j = 1; j <= slides.videoCount; ++j) {
        QStringList frames;
        const QStringList &grabbed = slides.perVideo.at(j - 1);
        std::copy_if(grabbed.begin(), grabbed.end(), std::back_inserter(frames), hasPixels);
        const qsizetype count = frames.size();
        for (qsizetype i = 0; i < count; ++i) {
            if (stopSeen())
                return OutputResult::Stopped;
            const int shown = int(i * budget / count);
            const int frameCount = int((i + 1) * budget / count) - shown;
            if (frameCount == 0)
                continue;
            // An unreadable frame: the one before it stays a while longer.
            const bool painted = paintFrame(frames.at(i), fourQuarters);
            const bool written =
                painted ? writeSlide(canvas(), frameCount, slides) : repeatLastFrame(frameCount, slides);
            if (painted && !written)
                return m_status->fail();
            m_status->show(MakingSlides + QString::number(shown + frameCount) + QLatin1Char('/')
                           + QString::number(budget) + QStringLiteral("；") + QString::number(j)
                           + QLatin1Char('/') + QString::number(slides.videoCount) + QLatin1Char(';')
                           + QString::number(slides.outputNumber) + QLatin1Char('/')
                           + m_env.settings.maxText);
        }
    }
    if (slides.frames.frameCount() == 0)
        return m_status->fail();
    // The series lasts n x P seconds.
    const int total = int(RoundHalfEven(slides.videoCount * slides.slideSeconds * FramesPerSecond));
    if (!repeatLastFrame(total - (slides.frames.frameCount()), slides))
        return m_status->fail();
    return OutputResult::Done;
}

bool VideoSlideShowComposer::paintFrame(const QString &framePath, bool fourQuarters)
{
    const QImage frame = ImageLibrary::load(framePath);
    const QSize box = fourQuarters ? QSize(m_canvas.width() / 2, m_canvas.height() / 2) : m_canvas;
    const std::optional<QSize> size = FitInto(frame.size(), box);
    if (!size)
        return false;
    const QImage fitted = ImageLibrary::stretched(frame, *size);
    QImage &slide = canvas();
    slide = m_blank;
    if (!fourQuarters)
        return ImageLibrary::paint(slide, fitted, QRect(centred(m_canvas, *size), *size));
    for (int q = 0; q < 4; ++q)
        ImageLibrary::paint(slide, fitted, QRect(QuadrantPosition(q, *size, m_canvas), *size));
    return true;
}

QImage &VideoSlideShowComposer::canvas()
{
    return m_ownCanvas;
}

bool VideoSlideShowComposer::writeSlide(const QImage &slide, int frames, Slides &slides)
{
    // Saved under a name of its own and removed first: the frames of the
    // slide before are links to the same file and must keep their picture.
    const QString saved = m_env.workspacePath(QStringLiteral("Slide.jpg"));
    QFile::remove(saved);
    return ImageLibrary::saveJpeg(slide, saved, 90) && slides.frames.append(saved, frames);
}

bool VideoSlideShowComposer::repeatLastFrame(int frames, Slides &slides)
{
    if (frames <= 0)
        return true;
    if (slides.frames.frameCount() == 0)
        return false;
    return slides.frames.append(slides.frames.framePath(slides.frames.frameCount()), frames);
}

QString VideoSlideShowComposer::slideStatusTail() const
{
    return QStringLiteral("；") + QString::number(m_status->outputNumber()) + QLatin1Char('/')
           + m_env.settings.maxText;
}

bool VideoSlideShowComposer::stopSeen()
{
    m_env.context.pumpEvents();
    return m_env.context.stopRequested();
}

bool VideoSlideShowComposer::plan(int outputNumber, OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    m_env.random.reseed();
    const int videoCount = settings.videoDrawCount;
    const int framesPerVideo = int(RoundHalfEven(
        settings.pictureRange ? settings.pictureRange->minimum : LeadingNumber(settings.pictureRangeText)));
    if (m_canvas.isEmpty() || videoCount < 1 || framesPerVideo < 1 || settings.slideSeconds <= 0)
        return true;  // the output would fail before its draws
    const std::optional<DrawnSources> drawn =
        DrawDistinctSources(m_env.videos, videoCount, m_env.random, m_env.context, m_usedSets);
    if (!drawn)
        return true;
    for (const ChosenSource &source : drawn->sources) {
        for (const QString &offset : grabOffsets(source.durationSeconds, framesPerVideo, m_env.random))
            report.sources.append({source.path, offset.toDouble()});
    }
    // The four-frame slides draw one frame per quarter, as they do when
    // every grab gives a frame.
    if (!settings.reuse) {
        for (int draw = 0; draw < framesPerVideo * videoCount / 4 * 4; ++draw)
            pickIndex(1, m_env.random);
    }
    report.lengthSeconds =
        settings.reuse ? videoCount * settings.slideSeconds : videoCount * settings.slideSeconds / 4;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, QDateTime::currentDateTime(), report);
    report.soundPath =
        SoundTrackStep(m_env, status).plan(report.lengthSeconds, soundVariant(*drawn, report.lengthSeconds));
    return true;
}
