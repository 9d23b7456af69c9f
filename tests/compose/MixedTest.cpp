// Mixed outputs: whole outputs made by the real tool for every sound rule,
// the kinds of the quadrants, the layout filter, the fall-back without sound
// and a stop.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "tests/support/MediaFactory.h"

#include "app/compose/MixedComposer.h"
#include "app/library/MediaInfoProber.h"

#include <gtest/gtest.h>

namespace {

void setUpMixed(ComposeBench &bench)
{
    ASSERT_TRUE(bench.addPictureSet());
    bench.settings.composeMode = ComposeMode::Mixed;
    bench.settings.pictureRangeText = QStringLiteral("2-3");
    bench.settings.lengthText = QStringLiteral("2");
}

// Which kind of step wrote each quadrant's clip ("VPPV"), from the recorded lists.
QString quadrantKinds(const RecordingToolRunner &runner, const QString &workspace)
{
    QString kinds;
    for (int k = 1; k <= 4; ++k) {
        for (const QStringList &arguments : runner.argumentLists) {
            if (arguments.constLast() == QStringLiteral("%1/%2.mp4").arg(workspace).arg(k))
                kinds += arguments.contains(QStringLiteral("image2")) ? QLatin1Char('P') : QLatin1Char('V');
        }
    }
    return kinds;
}

// Asks for a stop as soon as a picture clip makes its frames.
class StoppingContext : public RecordingRunContext {
public:
    void setStatus(const QString &text) override
    {
        RecordingRunContext::setStatus(text);
        stop = stop || text.startsWith(QStringLiteral("状态：图片源转视频帧预处理中"));
    }
};

}  // namespace

TEST(MixedLayout, PackedAndCentredFilters)
{
    using P = MixedComposer::Placement;
    const std::array<QSize, 4> mixed{QSize(640, 360), QSize(202, 360), QSize(320, 180), QSize(641, 359)};
    EXPECT_EQ(MixedComposer::overlayFilter(1, {1282, 720}, mixed, P::Packed, "mp4"),
              "[1:v]pad=1282:720[a];[a][2:v]overlay=640[b];[b][3:v]overlay=0:360[c];[c][4:v]overlay=320:360");
    EXPECT_EQ(MixedComposer::overlayFilter(1, {1282, 720}, mixed, P::Centred, "mp4"),
              "[1:v]pad=1282:720:0:0[a];[a][2:v]overlay=860:0[b];[b][3:v]overlay=160:450[c];"
              "[c][4:v]overlay=641:360");
    // Clips that fill their quadrants stand in the same places either way.
    const std::array<QSize, 4> full{QSize(640, 360), QSize(640, 360), QSize(640, 360), QSize(640, 360)};
    EXPECT_EQ(
        MixedComposer::overlayFilter(0, {1280, 720}, full, P::Centred, "mp4"),
        "[0:v]pad=1280:720:0:0[a];[a][1:v]overlay=640:0[b];[b][2:v]overlay=0:360[c];[c][3:v]overlay=640:360");
}

TEST(MixedEndToEnd, EveryOutputIsMadeWithSoundForEverySoundRule)
{
    // 2 videos and 3 readable pictures (and a broken one) for 5 outputs.
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    setUpMixed(bench);
    QVector<QStringList> rows = bench.pictures.rows();
    rows.removeIf([](const QStringList &row) { return row.first() == QStringLiteral("square.jpg"); });
    bench.pictures = SourceTable(SourceKind::Picture, rows);
    MediaInfoProber prober;
    bench.environment.outputProber = &prober;
    ASSERT_TRUE(MediaFactory::makeVideo(bench.source(QStringLiteral("横 1.mp4")), 480, 270, 4.0));
    ASSERT_TRUE(MediaFactory::makeVideo(bench.source(QStringLiteral("portrait.mp4")), 270, 480, 1.5));
    bench.addVideo(QStringLiteral("横 1.mp4"), 480, 270, QStringLiteral("4"));
    bench.addVideo(QStringLiteral("portrait.mp4"), 270, 480, QStringLiteral("1.5"));
    bench.settings.fixedAudioText = bench.source(QStringLiteral("配乐.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(bench.settings.fixedAudioText, 3.0));
    bench.audios.append({QStringLiteral("配乐.mp3"), bench.sourceFolder, QStringLiteral("3")});
    bench.settings.fixedAudioLengthText = QStringLiteral("3秒");
    bench.settings.outputWidth = 322;
    bench.settings.outputHeight = 182;
    bench.settings.noSpace = false;

    QSet<QString> topKinds;
    for (int rule = 0; rule <= 4; ++rule) {
        bench.runner.forgetArguments();
        bench.settings.audioRule = AudioRule(rule);
        // The pictures per clip, then the coin of the top quadrants (an odd
        // tenth: pictures first), then the rest.
        bench.setDraws({0.5, rule % 2 ? 0.15 : 0.05, 0.62, 0.07, 0.91, 0.33, 0.48, 0.75, 0.26});
        ASSERT_EQ(bench.compose(rule + 1), OutputResult::Done) << bench.context.statuses.last().toStdString();
        EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.toolOutput.join("\n").toStdString();
        const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(rule + 1));
        EXPECT_EQ(QSize(facts.width, facts.height), QSize(322, 182)) << rule;
        EXPECT_NEAR(facts.durationSeconds, 2.0, 1.0 / 20) << rule;
        EXPECT_TRUE(facts.hasAudio) << rule;
        const QString kinds = quadrantKinds(bench.runner, bench.workspace);
        ASSERT_EQ(kinds.size(), 4) << rule;
        EXPECT_NE(kinds[0], kinds[1]) << kinds.toStdString();
        topKinds.insert(kinds.left(2));
    }
    EXPECT_EQ(topKinds, (QSet<QString>{QStringLiteral("VP"), QStringLiteral("PV")}));
}

TEST(MixedSteps, NoSoundToExtractAndAStopDuringAPictureClip)
{
    // Quadrant 1 a video, quadrant 2 pictures.
    ComposeBench bench;
    setUpMixed(bench);
    bench.addVideo(QStringLiteral("v.mp4"), 1920, 1080, QStringLiteral("60"));
    bench.settings.outputWidth = 1280;
    bench.settings.outputHeight = 720;

    // Nothing probes above 0 for the longest-video rule: no track, and an
    // earlier output's Audio.mp3 does not stand in.
    QFile stale(bench.work(QStringLiteral("Audio.mp3")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly) && stale.write("earlier") > 0);
    stale.close();
    bench.settings.audioRule = AudioRule::LongestVideo;
    bench.compose(1);
    const QString final = bench.runner.arguments.constLast();
    EXPECT_TRUE(final.startsWith(QStringLiteral("-i %1/1.mp4 ").arg(bench.workspace))) << final.toStdString();
    EXPECT_FALSE(final.contains(QStringLiteral("Audio.mp3")));

    StoppingContext context;
    RecordingToolRunner runner(bench.workspace, context, RecordingToolRunner::Execution::RecordOnly);
    ComposeEnvironment stopping{bench.settings, bench.videos,    bench.audios,
                                bench.pictures, runner,          context,
                                bench.random,   bench.workspace, QDateTime::currentDateTime()};
    bench.setDraws({0.0});
    OutputReport report;
    EXPECT_EQ(MixedComposer(stopping).compose(1, QDateTime::currentDateTime(), report),
              OutputResult::Stopped);
    // Only the cut of quadrant 1 ran: a 1920x1080 video scaled to 640x360.
    ASSERT_EQ(runner.arguments.size(), 1);
    EXPECT_TRUE(runner.arguments.first().contains(QStringLiteral(" -s 640:360 ")))
        << runner.arguments.first().toStdString();
}
