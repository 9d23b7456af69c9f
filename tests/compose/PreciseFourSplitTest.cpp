// The precise four-split: its rules, the reading of a frame series that is
// still being written, and whole outputs made by the real tool through a run.
#include "QtPrinters.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/compose/FrameSeries.h"
#include "app/compose/PreciseFourSplitComposer.h"
#include "app/compose/QuadrantFit.h"
#include "app/run/BatchRun.h"
#include "tests/support/FixedRandom.h"
#include "tests/support/MediaFactory.h"
#include "tests/support/ProcessWaits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using P = PreciseFourSplitComposer;

TEST(PreciseFourSplitRules, FrameRangesSizesAndPlaces)
{
    // Not longer than the output: from frame 1 to duration x 25 + 1; longer:
    // from the frame of its start (frame k shows (k - 1) / 25 s, ties to
    // even) for 25 frames a second.
    EXPECT_EQ(P::frameRange(10, 10, 0).current, 1);
    EXPECT_EQ(P::frameRange(10, 10, 0).end, 251);
    EXPECT_EQ(P::frameRange(4.02, 10, 0).end, 102);  // 101.5 to even
    EXPECT_EQ(P::frameRange(30, 10, 2.5).current, 63);
    EXPECT_EQ(P::frameRange(30, 10, 2.5).end, 313);
    EXPECT_EQ(P::frameRange(30, 10, 0.02).current, 1);

    const QSize canvas(1280, 720);
    const QSize equal(640, 360);
    EXPECT_EQ(P::fittedSize(equal, canvas), equal);
    EXPECT_EQ(QuadrantPosition(0, equal, canvas), QPoint(0, 0));
    EXPECT_EQ(QuadrantPosition(1, equal, canvas), QPoint(640, 0));
    EXPECT_EQ(QuadrantPosition(2, equal, canvas), QPoint(0, 360));
    EXPECT_EQ(QuadrantPosition(3, equal, canvas), QPoint(640, 360));
    // A smaller frame is centred; a larger one is scaled into its quarter.
    EXPECT_EQ(QuadrantPosition(3, QSize(320, 180), canvas), QPoint(800, 450));
    EXPECT_EQ(P::fittedSize(QSize(1920, 1080), canvas), equal);
    EXPECT_EQ(P::fittedSize(QSize(360, 640), canvas), QSize(202, 360));  // 202.5 to even
    EXPECT_EQ(P::fittedSize(QSize(1000, 10), QSize(321, 241)), QSize(160, 2));
    EXPECT_EQ(QuadrantPosition(1, QSize(160, 120), QSize(321, 241)), QPoint(161, 0));  // 160.75

    EXPECT_EQ(P::totalText(250), QStringLiteral("250"));
    EXPECT_EQ(P::totalText(251), QStringLiteral("251"));
}

TEST(FrameSeriesTest, AFrameIsReadOnlyWhenComplete)
{
    QTemporaryDir folder;
    bool ended = false;
    FrameSeries series(folder.path(), [&ended] { return ended; });
    const auto write = [&](int frame, const QByteArray &bytes) {
        QFile file(series.framePath(frame));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QByteArray jpeg("\xFF\xD8 picture \xFF\xD9", 13);
    EXPECT_EQ(series.frameFor(1).state, FrameSeries::State::Pending);
    write(1, jpeg);
    write(2, jpeg.left(6));  // still being written
    EXPECT_EQ(series.frameFor(2).state, FrameSeries::State::Pending);
    const FrameSeries::Answer first = series.frameFor(1);  // closed: the next one exists
    EXPECT_EQ(first.state, FrameSeries::State::Ready);
    EXPECT_EQ(first.frame, 1);
    // The run ends with frame 2 half written: frame 1 stands in for every later one.
    ended = true;
    EXPECT_EQ(series.frameFor(2).frame, 1);
    EXPECT_EQ(series.frameFor(400).frame, 1);

    QTemporaryDir empty;
    FrameSeries none(empty.path(), [] { return true; });
    EXPECT_EQ(none.frameFor(1).state, FrameSeries::State::Empty);
    EXPECT_EQ(FrameSeries::frameFileName(7), QStringLiteral("000007.jpg"));
}

// A stop flag the test raises when the frame loop shows a given frame.
class StoppingContext : public RecordingRunContext {
public:
    void setStatus(const QString &text) override
    {
        RecordingRunContext::setStatus(text);
        if (!stopAt.isEmpty() && text.startsWith(stopAt))
            stop = true;
    }
    QString stopAt;
};

class PreciseFourSplitRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        sources = root.path() + QStringLiteral("/源 视频");
        QDir().mkpath(sources);
        QDir().mkpath(root.path() + QStringLiteral("/out"));
        request.settings.preciseQuad = true;
        request.settings.outputFolderText = root.path() + QStringLiteral("/out");
        request.settings.maxText = QStringLiteral("1");
        request.settings.lengthRule = LengthRule::LongestVideo;
        request.settings.audioRule = AudioRule::LongestVideo;
        request.workRoot = root.path();
        request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
        // A name of its own, so that only this test's tools are looked for.
        request.toolName = QStringLiteral("CutMediaPrecise%1.exe").arg(QCoreApplication::applicationPid());
        request.random = &random;
    }

    // A 25 fps test picture turned by hue, so every source and frame looks different.
    void addVideo(const QString &name, QSize size, double seconds, const QString &listedSeconds = {})
    {
        const QString path = sources + QLatin1Char('/') + name;
        const QString duration = QString::number(seconds);
        ASSERT_TRUE(MediaFactory::runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3,hue=h=%4")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(duration)
                 .arg(request.videos.entryCount() * 90),
             "-f", "lavfi", "-i", "sine=frequency=440:duration=" + duration, "-c:v", "libx264", "-preset",
             "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-t", duration, path}));
        request.videos.append({name, sources, QString::number(size.width()), QString::number(size.height()),
                               listedSeconds.isEmpty() ? duration : listedSeconds});
    }

    BatchRunSummary run()
    {
        request.settings.readNumbers();
        request.runStartTime = QDateTime::currentDateTime();
        BatchRun batch(context, MakeComposer);
        return batch.run(request);
    }

    // Frame n (from 0) of a 25 fps file, decoded.
    QImage frameOf(const QString &path, int n)
    {
        const QString png = root.path() + QStringLiteral("/frame.png");
        QFile::remove(png);
        EXPECT_TRUE(MediaFactory::runFfmpeg(
            {"-i", path, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(n), "-vframes", "1", png}));
        return QImage(png).convertToFormat(QImage::Format_RGB888);
    }

    // The mean difference of the colour values of a picture and a part of the output frame.
    static double difference(const QImage &frame, QPoint at, const QImage &source)
    {
        double sum = 0;
        for (int y = 0; y < source.height(); ++y) {
            const uchar *a = frame.constScanLine(at.y() + y) + 3 * at.x();
            const uchar *b = source.constScanLine(y);
            for (int x = 0; x < 3 * source.width(); ++x)
                sum += std::abs(int(a[x]) - int(b[x]));
        }
        return sum / (3.0 * source.width() * source.height());
    }

    QTemporaryDir root;
    QString sources;
    BatchRunRequest request;
    FixedRandom random{{0.0}};
    StoppingContext context;
};

TEST_F(PreciseFourSplitRun, EqualSourcesFillTheFourQuartersAndAShortOneHoldsItsLastFrame)
{
    const QSize size(160, 120);
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
        addVideo(QString::fromUtf8(name), size, 2);
    addVideo(QStringLiteral("d 短.mp4"), size, 1);
    const QString log = root.path() + QStringLiteral("/tool.log");
    qputenv("ZARV_TOOL_LOG", log.toUtf8());
    const BatchRunSummary summary = run();
    qunsetenv("ZARV_TOOL_LOG");
    EXPECT_EQ(summary.done, 1) << context.statuses.join('\n').toStdString();
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(
        context.statuses.filter(QRegularExpression(QStringLiteral("^状态：视频帧预处理中...\\d+/50；耗时：")))
            .size(),
        50);

    const QString out = request.settings.outputFolderText + QStringLiteral("/0001.mp4");
    // Every step as the tool got it: drawn a, b, c, d; the longest-video rule
    // swaps the first and the last, so the order is d, b, c, a, and the sound
    // is b's (the first of the longest), cut from its WAV.
    const QString work = root.path() + QStringLiteral("/Tmp");
    QStringList expected;
    const QStringList order{QStringLiteral("d 短.mp4"), QStringLiteral("b.mp4"), QStringLiteral("c.mp4"),
                            QStringLiteral("a.mp4")};
    for (int k = 1; k <= 4; ++k) {
        const QString source = sources + '/' + order[k - 1];
        expected << QStringLiteral(
                        "> -i %1 -f image2 -y -q:v 0 -vf fps=25:start_time=0 %2/Tmp/Images%3/%06d.jpg")
                        .arg(source, work)
                        .arg(k)
                 << QStringLiteral("> -i %1 -y -q:a 0 -f wav -ar 44100 -b:a 192k -ac 2 %2/Tmp/%3.wav")
                        .arg(source, work)
                        .arg(k);
    }
    const QString soundCut =
        QStringLiteral("> -ss 0 -t 2 -i %1/Tmp/2.wav -y -q:a 0 -acodec copy %1/Audio.wav").arg(work);
    expected << soundCut << soundCut
             << QStringLiteral("> -i %1/Audio.wav -f image2 -i %1/Tmp/Images/%06d.jpg -r 25 -y -q:v 0 -q:a 0 "
                               "-t 2 -pix_fmt yuv420p %2")
                    .arg(work,
                         request.settings.outputFolderText + QStringLiteral("/0001.zarv-unfinished.mp4"));
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QStringList started =
        QString::fromUtf8(logFile.readAll()).split('\n').filter(QRegularExpression("^> "));
    EXPECT_EQ(started, expected);
    EXPECT_TRUE(context.statuses.contains(QStringLiteral("状态：提取音频中...")));
    EXPECT_TRUE(context.statuses.contains(QStringLiteral("状态：音频预处理中...")));

    const MediaFactory::StreamFacts facts = MediaFactory::probe(out);
    EXPECT_EQ(QSize(facts.width, facts.height), QSize(320, 240));
    EXPECT_NEAR(facts.durationSeconds, 2.0, 0.04 + 0.03);  // a frame, and the AAC track's last frame
    EXPECT_TRUE(facts.hasAudio);
    // Drawn a, b, c, d; the longest-video rule swaps the first and the last:
    // d (1 s, held at its frame 26 from output frame 26 on), b, c, a.
    const QImage frame = frameOf(out, 39);
    ASSERT_EQ(frame.size(), QSize(320, 240));
    const auto source = [&](const char *name, int n) {
        return frameOf(sources + '/' + QString::fromUtf8(name), n);
    };
    struct Quarter {
        QPoint at;
        QImage shown;  // the source frame expected there
        QImage other;  // a frame that must not be there
    };
    const QList<Quarter> quarters{
        {{0, 0}, source("d 短.mp4", 24), source("d 短.mp4", 12)},  // its last frame, held
        {{160, 0}, source("b.mp4", 39), source("c.mp4", 39)},
        {{0, 120}, source("c.mp4", 39), source("b.mp4", 30)},
        {{160, 120}, source("a.mp4", 39), source("a.mp4", 24)},
    };
    for (const Quarter &quarter : quarters) {
        const double shown = difference(frame, quarter.at, quarter.shown);
        EXPECT_LT(shown, 10) << quarter.at.x() << ',' << quarter.at.y();
        EXPECT_LT(2 * shown, difference(frame, quarter.at, quarter.other))
            << quarter.at.x() << ',' << quarter.at.y();
    }
    EXPECT_FALSE(
        QFileInfo::exists(root.path() + QStringLiteral("/Tmp")));  // the work folders went with the workspace
}

TEST_F(PreciseFourSplitRun, SourcesOfAnySizeAndAListedLengthBeyondTheFrames)
{
    addVideo(QStringLiteral("wide.mp4"), {320, 90}, 1.5);
    addVideo(QStringLiteral("portrait.mp4"), {90, 160}, 1.5);
    addVideo(QStringLiteral("odd.mp4"), {121, 67}, 1.5);
    addVideo(QStringLiteral("listed longer.mp4"), {160, 120}, 1, QStringLiteral("3"));
    request.settings.lengthRule = LengthRule::Fixed;
    request.settings.lengthText = QStringLiteral("2");
    request.settings.audioRule = AudioRule::FirstVideo;
    random = FixedRandom({0.0, 0.0, 0.0, 0.0, 0.6});  // the listed-longer source starts at 0.6 s
    const BatchRunSummary summary = run();
    EXPECT_EQ(summary.done, 1) << context.statuses.join('\n').toStdString();
    EXPECT_FALSE(summary.stopped);
    const MediaFactory::StreamFacts facts =
        MediaFactory::probe(request.settings.outputFolderText + QStringLiteral("/0001.mp4"));
    EXPECT_EQ(facts.width % 2 + facts.height % 2, 0);
    EXPECT_NEAR(facts.durationSeconds, 2.0, 0.07);
    EXPECT_TRUE(facts.hasAudio);
}

TEST_F(PreciseFourSplitRun, ASourceThatGivesNoFrameFailsTheOutput)
{
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
        addVideo(QString::fromUtf8(name), {160, 120}, 1);
    QFile broken(sources + QStringLiteral("/broken.mp4"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a video");
    broken.close();
    request.videos.append({QStringLiteral("broken.mp4"), sources, "160", "120", "1"});
    const BatchRunSummary summary = run();
    EXPECT_EQ(summary.failed, 1);
    EXPECT_TRUE(context.statuses.constLast().startsWith(QStringLiteral("状态：视频生成失败！")));
}

TEST_F(PreciseFourSplitRun, AStopInTheFrameLoopEndsTheOutputAndItsTools)
{
    // One source made and copied three times: the stop comes long before any ends.
    addVideo(QStringLiteral("a.mp4"), {320, 240}, 20);
    for (const QString name : {"b.mp4", "c.mp4", "d.mp4"}) {
        ASSERT_TRUE(QFile::copy(sources + QStringLiteral("/a.mp4"), sources + '/' + name));
        request.videos.append({name, sources, "320", "240", "20"});
    }
    context.stopAt = QStringLiteral("状态：视频帧预处理中...5/");
    const BatchRunSummary summary = run();
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 0);
    // The loop returns at once: no later frame, no later step.
    EXPECT_TRUE(context.statuses.constLast().startsWith(context.stopAt))
        << context.statuses.constLast().toStdString();
    EXPECT_TRUE(waitUntil([&] { return liveCount(request.toolName) == 0; }));
    EXPECT_FALSE(QFileInfo::exists(request.settings.outputFolderText + QStringLiteral("/0001.mp4")));
}

}  // namespace
