#include "app/compose/PreciseFourSplitComposer.h"

#include "app/base/NumberText.h"
#include "app/compose/CanvasFrameWriter.h"
#include "app/compose/CutStarts.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourSourcePlan.h"
#include "app/compose/FrameSeries.h"
#include "app/compose/ImageLibrary.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/QuadrantFit.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"
#include "platform/FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// The JPEG quality of the painted frames.
constexpr int FrameQuality = 90;
// How often a wait looks again: the extractions write a frame every few
// milliseconds, the window needs its events far less often.
constexpr int PollMilliseconds = 10;

QString number(int value)
{
    return QString::number(value);
}

}  // namespace

// One quarter of the output: the source shown there and where its frames go.
struct PreciseFourSplitComposer::Quadrant {
    std::unique_ptr<FrameSeries> frames;
    QString sound;  // the WAV of the source
    ToolRun soundRun = 0;
    FrameRange range;
    QSize frameSize;  // as painted
    QPoint position;
    int shownFrame = 0;  // the frame of `picture`
    std::shared_ptr<CanvasFrameWriter::Picture> picture;
};

PreciseFourSplitComposer::PreciseFourSplitComposer(ComposeEnvironment &environment)
    : m_env(environment),
      m_usedSets(environment.videos.entryCount(), 4)
{
}

PreciseFourSplitComposer::FrameRange
PreciseFourSplitComposer::frameRange(double durationSeconds, double lengthSeconds, double startSeconds)
{
    if (durationSeconds <= lengthSeconds)
        return {1, int(RoundHalfEven(durationSeconds * FramesPerSecond + 1))};
    // Frame k of the series shows the time (k - 1) / 25.
    const int current = int(RoundHalfEven(startSeconds * FramesPerSecond)) + 1;
    return {current, int(RoundHalfEven(current + FramesPerSecond * lengthSeconds))};
}

QSize PreciseFourSplitComposer::fittedSize(QSize frame, QSize canvas)
{
    const QSize quarter(canvas.width() / 2, canvas.height() / 2);
    if (frame.width() <= quarter.width() && frame.height() <= quarter.height())
        return frame;
    const double scale =
        std::min(quarter.width() / double(frame.width()), quarter.height() / double(frame.height()));
    const auto side = [scale](int length, int limit) {
        return std::clamp(int(RoundHalfEven(length * scale)), 1, std::max(limit, 1));
    };
    return {side(frame.width(), quarter.width()), side(frame.height(), quarter.height())};
}

QString PreciseFourSplitComposer::totalText(int span)
{
    // Rounded once more so that the product carries no binary fraction.
    return NumberText(RoundHalfEven(RoundHalfEven(span / double(FramesPerSecond), 3) * FramesPerSecond, 3));
}

QString PreciseFourSplitComposer::makeWorkFolder()
{
    // Folders of earlier outputs; one still held by a tool is simply skipped.
    const auto folderOf = [this](int suffix) {
        return m_env.workspacePath(QStringLiteral("Tmp") + (suffix == 0 ? QString() : number(suffix)));
    };
    for (int t = 0; t <= m_env.settings.outputCount / 2; ++t) {
        if (QFileInfo::exists(folderOf(t)))
            DeletePath(folderOf(t));
    }
    int suffix = 0;
    while (QFileInfo::exists(folderOf(suffix)))
        ++suffix;
    const QString folder = folderOf(suffix);
    for (const QString &name :
         {QStringLiteral("Images"), QStringLiteral("Images1"), QStringLiteral("Images2"),
          QStringLiteral("Images3"), QStringLiteral("Images4")}) {
        if (!QDir().mkpath(folder + QDir::separator() + name))
            return {};
    }
    return folder;
}

QImage PreciseFourSplitComposer::blankCanvas(QSize canvas)
{
    const QString black = m_env.workspacePath(QStringLiteral("Black.bmp"));
    QFile::remove(black);
    QFile::copy(m_env.programFolder + QDir::separator() + QStringLiteral("Black.dll"), black);
    ImageLibrary::zoomPic(black, black, canvas.width(), canvas.height());
    QImage blank = ImageLibrary::newCanvas(MediaExtensions::encodableSize(canvas, m_env.settings.outputType));
    // A missing or unreadable Black.dll leaves the canvas black all the same.
    const QImage loaded = ImageLibrary::load(black);
    ImageLibrary::paint(blank, loaded, QRect(QPoint(0, 0), loaded.size()));
    return blank;
}

bool PreciseFourSplitComposer::waitUntil(const std::function<bool()> &ready)
{
    while (!ready()) {
        if (m_env.context.stopRequested())
            return false;
        m_env.context.pumpEvents();
        QThread::msleep(PollMilliseconds);
    }
    return true;
}

void PreciseFourSplitComposer::startExtractions(Quadrants &quadrants, const FourSourcePlan &plan,
                                                const CutStarts &starts, const QString &folder,
                                                OutputStatus &status)
{
    ToolRunner &runner = m_env.runner;
    for (int k = 0; k < 4; ++k) {
        status.show(QStringLiteral("状态：视频时长归一化中...") + number(k + 1) + QStringLiteral("/4"));
        const ChosenSource &source = plan.sources[k];
        Quadrant &quadrant = quadrants[k];
        quadrant.range =
            frameRange(source.durationSeconds, plan.lengthSeconds, LeadingNumber(starts.startTexts[k]));
        quadrant.sound = folder + QDir::separator() + number(k + 1) + QStringLiteral(".wav");
        const QString frameFolder = folder + QDir::separator() + QStringLiteral("Images") + number(k + 1);
        // A rate filter, not the "-r 25" output option: that one picks the
        // frames of other rates late. Frame 1 is the picture at time 0.
        const ToolRun frameRun = runner.startTool(
            {QStringLiteral("-i"), source.path, QStringLiteral("-f"), QStringLiteral("image2"),
             QStringLiteral("-y"), QStringLiteral("-q:v"), QStringLiteral("0"), QStringLiteral("-vf"),
             QStringLiteral("fps=25:start_time=0"), MediaExtensions::jpegSeriesPattern(frameFolder)});
        quadrant.soundRun = runner.startTool(
            {QStringLiteral("-i"), source.path, QStringLiteral("-y"), QStringLiteral("-q:a"),
             QStringLiteral("0"), QStringLiteral("-f"), QStringLiteral("wav"), QStringLiteral("-ar"),
             QStringLiteral("44100"), QStringLiteral("-b:a"), QStringLiteral("192k"), QStringLiteral("-ac"),
             QStringLiteral("2"), quadrant.sound});
        quadrant.frames = std::make_unique<FrameSeries>(
            frameFolder, [&runner, frameRun] { return runner.hasEnded(frameRun); });
    }
}

OutputResult PreciseFourSplitComposer::waitForFrame(Quadrant &quadrant, int wanted,
                                                    FrameSeries::Answer &answer)
{
    if (!waitUntil([&] {
            return (answer = quadrant.frames->frameFor(wanted)).state != FrameSeries::State::Pending;
        }))
        return OutputResult::Stopped;
    // An extraction that wrote no frame at all leaves nothing to show.
    return answer.state == FrameSeries::State::Empty ? OutputResult::Failed : OutputResult::Done;
}

OutputResult PreciseFourSplitComposer::measureFrames(Quadrants &quadrants, QSize canvas)
{
    for (int k = 0; k < 4; ++k) {
        Quadrant &quadrant = quadrants[k];
        FrameSeries::Answer first;
        const OutputResult found = waitForFrame(quadrant, 1, first);
        if (found != OutputResult::Done)
            return found;
        const QSize size = ImageLibrary::sizeOf(quadrant.frames->framePath(first.frame));
        if (size.isEmpty())
            return OutputResult::Failed;
        quadrant.frameSize = fittedSize(size, canvas);
        quadrant.position = QuadrantPosition(k, quadrant.frameSize, canvas);
    }
    return OutputResult::Done;
}

OutputResult PreciseFourSplitComposer::paintFrames(Quadrants &quadrants, const QImage &blank,
                                                   const QString &outputFolder, OutputStatus &status)
{
    int span = 0;
    for (Quadrant &quadrant : quadrants) {
        quadrant.range.current = std::max(quadrant.range.current, 1);
        span = std::max(span, quadrant.range.end - quadrant.range.current);
    }
    const QString total = totalText(span);

    // This thread finds the frames; the workers decode, paint and save them.
    CanvasFrameWriter writer(blank, FrameQuality);
    const int maxInFlight = 2 * writer.workerCount() + 2;
    int counter = 0;
    bool more = true;
    while (more) {
        QVector<CanvasFrameWriter::Layer> layers;
        for (Quadrant &quadrant : quadrants) {
            FrameRange &range = quadrant.range;
            FrameSeries::Answer answer;
            const OutputResult found = waitForFrame(quadrant, std::min(range.current, range.end), answer);
            if (found != OutputResult::Done)
                return found;
            if (answer.frame != quadrant.shownFrame || !quadrant.picture) {
                quadrant.shownFrame = answer.frame;
                quadrant.picture = std::make_shared<CanvasFrameWriter::Picture>(
                    quadrant.frames->framePath(answer.frame), quadrant.frameSize);
            }
            layers.append({quadrant.picture, quadrant.position});
            // A source that has run out keeps showing its end frame.
            if (range.current < range.end)
                ++range.current;
        }
        if (!waitUntil([&] { return writer.waitForRoom(maxInFlight, PollMilliseconds); }))
            return OutputResult::Stopped;
        ++counter;
        writer.addFrame(outputFolder + QDir::separator() + FrameSeries::frameFileName(counter), layers);
        status.show(QStringLiteral("状态：视频帧预处理中...") + number(counter) + QLatin1Char('/') + total
                    + QStringLiteral("；") + status.timesText());
        m_env.context.pumpEvents();
        if (m_env.context.stopRequested())
            return OutputResult::Stopped;
        more = std::any_of(quadrants.begin(), quadrants.end(),
                           [](const Quadrant &q) { return q.range.current < q.range.end; });
    }
    if (!waitUntil([&] { return writer.waitForRoom(1, PollMilliseconds); }))
        return OutputResult::Stopped;
    // A frame missing from the series would end the video early.
    return writer.failedFrames() > 0 ? OutputResult::Failed : OutputResult::Done;
}

OutputResult PreciseFourSplitComposer::compose(int outputNumber, const QDateTime &outputStart,
                                               OutputReport &report)
{
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);

    // The steps shared with the four-source composer: draw, order, canvas, length.
    const std::optional<FourSourcePlan> plan = PlanFourSources(m_env, m_usedSets, status);
    if (!plan || plan->canvas.width() < 2 || plan->canvas.height() < 2)
        return FailOutput(m_env, status);

    status.show(QStringLiteral("状态：临时文件清理中..."));
    const QString folder = makeWorkFolder();
    if (folder.isEmpty())
        return FailOutput(m_env, status);
    const QImage blank = blankCanvas(plan->canvas);

    // Eight extractions at once, the frames and the sound of every source;
    // the frames are painted while they are being written.
    const CutStarts starts = DrawCutStarts(plan->sources, plan->lengthSeconds, m_env.random);
    ReportFourSources(*plan, starts, report);
    Quadrants quadrants;
    startExtractions(quadrants, *plan, starts, folder, status);
    OutputResult result = measureFrames(quadrants, plan->canvas);
    const QString outputFrames = folder + QDir::separator() + QStringLiteral("Images");
    if (result == OutputResult::Done)
        result = paintFrames(quadrants, blank, outputFrames, status);
    if (result != OutputResult::Done)
        return result == OutputResult::Failed ? FailOutput(m_env, status) : result;

    // The sound track, cut from a source's WAV once every WAV is written.
    ToolRunner &runner = m_env.runner;
    if (!waitUntil([&] {
            return std::all_of(quadrants.begin(), quadrants.end(),
                               [&runner](const Quadrant &q) { return runner.hasEnded(q.soundRun); });
        }))
        return OutputResult::Stopped;
    SoundTrackStep::Variant variant;
    variant.videoSoundExtraction = {QStringLiteral("-ss"),  starts.startTexts[starts.soundSource],
                                    QStringLiteral("-t"),   NumberText(plan->lengthSeconds),
                                    QStringLiteral("-i"),   quadrants[starts.soundSource].sound,
                                    QStringLiteral("-y"),   QStringLiteral("-q:a"),
                                    QStringLiteral("0"),    QStringLiteral("-acodec"),
                                    QStringLiteral("copy"), m_env.workspacePath(QStringLiteral("Audio.wav"))};
    // The painted frames carry no sound: the first-video rule takes the same
    // sound as the longest-video rule.
    variant.firstVideoSoundExtraction = variant.videoSoundExtraction;
    variant.preparation = SoundTrackStep::Variant::Preparation::ExtractedAgain;
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(plan->lengthSeconds, variant);
    ReportFourSourceSound(m_env, *plan, starts, FirstVideoSound::LikeLongest, report);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;

    return RunJpegSeriesComposition(m_env, status, sound, outputFrames, FramesPerSecond, plan->lengthSeconds);
}

bool PreciseFourSplitComposer::plan(int outputNumber, OutputReport &report)
{
    // The painted frames carry no sound: the first-video rule plays the
    // longest video's, as compose does.
    PlanFourSourceOutput(m_env, m_usedSets, outputNumber, FirstVideoSound::LikeLongest, report);
    return true;
}
