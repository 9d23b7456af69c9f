// The slide show: its rules (grab offsets, the equal-odds frame pick, fitting
// and placing a frame), then whole runs with the real tool through the batch
// run and the composer the factory picks.
#include "FixedRandom.h"
#include "MediaFactory.h"
#include "QtPrinters.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/compose/QuadrantFit.h"
#include "app/compose/VideoSlideShowComposer.h"
#include "app/run/BatchRun.h"
#include "app/run/SystemRandom.h"

#include <QDir>
#include <QImage>
#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Composer = VideoSlideShowComposer;

TEST(VideoSlideShowRulesTest, GrabOffsets)
{
    const int bound = Composer::OffsetRedraws + 1;
    struct Case {
        const char *what;
        double durationSeconds;
        int count;
        QVector<double> draws;
        QStringList offsets;
        int drawsTaken;
    };
    const QList<Case> cases{
        {"one frame before the end at most", 1.0, 1, {0.9999}, {"0.96"}, 1},
        {"a random offset of a long video", 60.04, 1, {0.5}, {"30"}, 1},
        {"a shorter text inside a used one is no repeat", 100.04, 2, {0.115, 0.015}, {"11.5", "1.5"}, 2},
        {"a repeat is drawn again", 100.04, 2, {0.1, 0.1, 0.2}, {"10", "20"}, 3},
        {"no length: repeats accepted after the bound", 0, 3, {0.7}, {"0", "0", "0"}, 1 + 2 * bound},
        {"a video shorter than a frame", 0.02, 2, {0.3, 0.8}, {"0", "0"}, 1 + bound},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FixedRandom random(c.draws);
        EXPECT_EQ(Composer::grabOffsets(c.durationSeconds, c.count, random), c.offsets);
        EXPECT_EQ(random.draws(), c.drawsTaken);
        EXPECT_EQ(random.reseeds, c.drawsTaken);
    }
}

TEST(VideoSlideShowRulesTest, EveryGrabOfASlowVideoWritesItsFrame)
{
    QTemporaryDir folder;
    for (const int fps : {15, 24}) {
        const QString video = folder.filePath(QStringLiteral("%1 fps.mp4").arg(fps));
        ASSERT_TRUE(MediaFactory::makeVideo(video, 160, 120, 6, MediaFactory::Sound::Without, fps));
        for (const QString offset : {"0.5", "1.234", "2.71", "3.333", "4.9", "5.5"}) {
            const QString frame = folder.filePath(QStringLiteral("%1 %2.jpg").arg(fps).arg(offset));
            ASSERT_TRUE(MediaFactory::runFfmpeg(Composer::grabArguments(offset, video, frame)));
            EXPECT_EQ(QImage(frame).size(), QSize(160, 120)) << fps << " fps at " << offset.toStdString();
        }
    }
}

TEST(VideoSlideShowRulesTest, EveryFrameHasTheSameOdds)
{
    // Each index owns an equal share of [0, 1): the first and the last too.
    const QList<std::tuple<int, double, int>> cases{{4, 0.0, 0},    {4, 0.2499, 0}, {4, 0.25, 1},
                                                    {4, 0.74, 2},   {4, 0.75, 3},   {4, 0.9999, 3},
                                                    {1, 0.9999, 0}, {3, 0.5, 1}};
    for (const auto &[count, draw, index] : cases) {
        FixedRandom random({draw});
        EXPECT_EQ(Composer::pickIndex(count, random), index) << count << " entries, draw " << draw;
    }
}

TEST(VideoSlideShowRulesTest, FittingAndPlacing)
{
    const QSize canvas(1280, 720);
    const QSize quarter(640, 360);
    struct Case {
        QSize frame;
        QSize box;
        QSize fitted;
        QPoint topLeft;  // in the quarters
        QPoint bottomRight;
        QPoint centred;  // in the whole canvas
    };
    const QList<Case> cases{
        {{640, 360}, quarter, {640, 360}, {0, 0}, {640, 360}, {320, 180}},
        {{160, 120}, quarter, {480, 360}, {80, 0}, {720, 360}, {400, 180}},
        // 202.5 rounds to the even 202.
        {{360, 640}, quarter, {202, 360}, {219, 0}, {859, 360}, {539, 180}},
        {{1920, 1080}, canvas, {1280, 720}, {-320, -180}, {320, 180}, {0, 0}},
        {{321, 241}, {161, 121}, {161, 121}, {240, 120}, {880, 480}, {560, 300}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.frame.width() << "x" << c.frame.height());
        EXPECT_EQ(FitInto(c.frame, c.box), c.fitted);
        EXPECT_EQ(QuadrantPosition(0, c.fitted, canvas), c.topLeft);
        EXPECT_EQ(QuadrantPosition(1, c.fitted, canvas), QPoint(c.bottomRight.x(), c.topLeft.y()));
        EXPECT_EQ(QuadrantPosition(2, c.fitted, canvas), QPoint(c.topLeft.x(), c.bottomRight.y()));
        EXPECT_EQ(QuadrantPosition(3, c.fitted, canvas), c.bottomRight);
        EXPECT_EQ(Composer::centred(canvas, c.fitted), c.centred);
    }
    // A frame that reads as 0 x 0 is not fitted (and so not painted).
    EXPECT_FALSE(FitInto({0, 0}, quarter));
    EXPECT_FALSE(FitInto({640, 0}, quarter));
}

class VideoSlideShowEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(folder.filePath("out"));
        request.settings.slideShow = true;
        request.settings.maxText = QStringLiteral("1");
        request.settings.outputFolderText = folder.filePath("out");
        // A "%" in the workspace path: the grabs must write exactly the files
        // they name, which the tool's image-sequence writer would read as a
        // pattern.
        request.workRoot = folder.filePath("work 100%d");
        request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
        request.random = &random;
    }

    // A 160 x 120 clip with sound, listed with the given length.
    void addVideo(const QString &name, double seconds, const QString &listedSeconds)
    {
        ASSERT_TRUE(MediaFactory::makeVideo(folder.filePath(name), 160, 120, seconds));
        request.videos.append({name, folder.path(), "160", "120", listedSeconds});
    }

    // n videos, m frames of each, P seconds per video.
    BatchRunSummary run(int n, int m, double seconds)
    {
        RunSettings &s = request.settings;
        s.videoDrawText = QString::number(n);
        s.pictureRangeText = QStringLiteral("%1-%1").arg(m);
        s.slideSecondsText = QString::number(seconds);
        s.readNumbers();
        BatchRun batch(context, MakeComposer);
        request.runStartTime = QDateTime::currentDateTime();
        return batch.run(request);
    }

    QTemporaryDir folder;
    BatchRunRequest request;
    RecordingRunContext context;
    SystemRandom random;
};

TEST_F(VideoSlideShowEndToEndTest, BothLayoutsEverySoundRule)
{
    for (int i = 1; i <= 5; ++i)
        addVideo(QStringLiteral("视频 %1.mp4").arg(i), 1 + i % 3, QString::number(1 + i % 3));
    const QString audio = folder.filePath("配乐.wav");
    ASSERT_TRUE(MediaFactory::makeAudio(audio, 12));
    request.audios.append({"配乐.wav", folder.path(), "12"});
    request.settings.fixedAudioText = audio;
    request.settings.fixedAudioLengthText = QStringLiteral("12秒");

    struct Case {
        bool reuse;
        bool fourSplit;
        AudioRule audioRule;
        QSize size;
        QString type;
    };
    const QList<Case> cases{
        {false, false, AudioRule::FirstVideo, {320, 240}, "mp4"},
        {false, true, AudioRule::LongestVideo, {321, 241}, "avi"},  // MPEG-4 takes odd sizes
        {true, false, AudioRule::ChosenAudio, {240, 320}, "mp4"},
        {true, true, AudioRule::RandomAudio, {321, 241}, "mp4"},  // made 322 x 242
        {true, false, AudioRule::FixedAudio, {320, 240}, "flv"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "reuse " << c.reuse << ", four-split " << c.fourSplit << ", sound "
                                        << int(c.audioRule) << ", " << c.type.toStdString());
        RunSettings &s = request.settings;
        s.reuse = c.reuse;
        s.slideFourSplit = c.fourSplit;
        s.audioRule = c.audioRule;
        s.outputWidth = c.size.width();
        s.outputHeight = c.size.height();
        s.outputType = c.type;
        // n = 4, m = 3, P = 1: 4 s one video after another, 1 s of four-frame slides.
        EXPECT_EQ(run(4, 3, 1).done, 1) << context.statuses.join('\n').toStdString();
        const MediaFactory::StreamFacts made = MediaFactory::probe(folder.filePath("out/0001." + c.type));
        const QSize encoded =
            c.type == "mp4" ? QSize((c.size.width() + 1) & ~1, (c.size.height() + 1) & ~1) : c.size;
        EXPECT_EQ(QSize(made.width, made.height), encoded);
        EXPECT_NEAR(made.durationSeconds, c.reuse ? 4.0 : 1.0, 0.1);
        EXPECT_TRUE(made.hasVideo && made.hasAudio);
    }
}

TEST_F(VideoSlideShowEndToEndTest, ShortSourcesAndFailedGrabs)
{
    // Draws near 1 take offsets near the end: the 1 s clip gives its frame
    // one frame before its end, the clip listed longer than it is gives none.
    FixedRandom lateDraws({0.999});
    request.random = &lateDraws;
    addVideo(QStringLiteral("one second.mp4"), 1, QStringLiteral("1"));
    addVideo(QStringLiteral("listed longer.mp4"), 1, QStringLiteral("3"));
    request.settings.maxText = QStringLiteral("2");
    request.settings.outputWidth = 320;
    request.settings.outputHeight = 240;
    for (const bool reuse : {true, false}) {
        SCOPED_TRACE(reuse);
        request.settings.reuse = reuse;
        const BatchRunSummary summary = run(2, 2, 1);
        EXPECT_EQ(summary.done, 2) << context.statuses.join('\n').toStdString();
        EXPECT_NEAR(MediaFactory::probe(folder.filePath("out/0002.mp4")).durationSeconds, reuse ? 2.0 : 0.5,
                    0.1);
    }
}

}  // namespace
