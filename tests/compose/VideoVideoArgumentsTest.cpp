// The argument strings, waits and status texts of the Video+Video mode, with
// a runner that records instead of running and scripted random draws.
#include "ArgumentLists.h"
#include "ComposeBench.h"
#include "QtPrinters.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using Execution = RecordingToolRunner::Execution;

const QString Times = QStringLiteral("耗时：\\d:\\d\\d:\\d\\d；总耗时：\\d:\\d\\d:\\d\\d");

bool matches(const QString &text, const QString &pattern)
{
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(text).hasMatch();
}

class VideoVideoFourSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Entries in draw order when every draw is 0: a, b, c, d.
        a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
        b = bench.addVideo(QStringLiteral("b.mp4"), 160, 120, QStringLiteral("4"));
        c = bench.addVideo(QStringLiteral("c.mp4"), 160, 120, QStringLiteral("2"));
        d = bench.addVideo(QStringLiteral("d.mp4"), 160, 120, QStringLiteral("5"));
        bench.settings.lengthRule = LengthRule::FirstVideo;  // length of the first video: 3
    }

    QString copyCut(const QString &start, const QString &length, const QString &path, int k,
                    const QString &extension = QStringLiteral(".mp4")) const
    {
        return QStringLiteral("-ss ") + start + QStringLiteral(" -t ") + length + QStringLiteral(" -i ")
               + path + QStringLiteral(" -y -q:v 0 -q:a 0 -c copy ")
               + bench.work(QString::number(k) + extension);
    }

    // The final composition of four equal 160x120 clips named 0.mp4 to 3.mp4.
    QString equalFinal(const QString &audioInput, const QString &outputType = QStringLiteral("mp4"),
                       const QString &length = QStringLiteral("3")) const
    {
        const int f = audioInput.isEmpty() ? 0 : 1;
        QString text = audioInput;
        for (int k = 0; k < 4; ++k)
            text += QStringLiteral(" -i ") + bench.work(QString::number(k) + QStringLiteral(".mp4"));
        text += QStringLiteral(" -filter_complex [%1:v]pad=320:240[a];[a][%2:v]overlay=160[b];"
                               "[b][%3:v]overlay=0:120[c];[c][%4:v]overlay=160:120")
                    .arg(f)
                    .arg(f + 1)
                    .arg(f + 2)
                    .arg(f + 3);
        if (!audioInput.isEmpty())
            text += QStringLiteral(" -map 0:a");
        text += QStringLiteral(" -y -q:v 0 -q:a 0 -t ") + length;
        if (outputType == QLatin1String("mp4"))
            text += QStringLiteral(" -pix_fmt yuv420p");
        return (text + QLatin1Char(' ') + bench.writing(1)).simplified();
    }

    QStringList copyCutsOfTheUsualDraws() const
    {
        // Draws 0,0,0,0 pick a, b, c, d; then b starts at 1 × 0.125 and d at 2 × 0.5.
        return {copyCut(QStringLiteral("0"), QStringLiteral("3"), a, 0),
                copyCut(QStringLiteral("0.125"), QStringLiteral("3"), b, 1),
                copyCut(QStringLiteral("0"), QStringLiteral("3"), c, 2),
                copyCut(QStringLiteral("1"), QStringLiteral("3"), d, 3)};
    }

    ComposeBench bench;
    QString a, b, c, d;
};

TEST_F(VideoVideoFourSourceTest, CopyCutsAndTheSoundOfTheFirstVideo)
{
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);  // nothing runs, so nothing is written

    EXPECT_ARGS(bench.runner.argumentLists,
                ArgumentsOf(copyCutsOfTheUsualDraws() + QStringList{equalFinal({})}));
    ASSERT_EQ(bench.runner.waits.size(), 2);
    EXPECT_EQ(bench.runner.waits[0].startsBefore, 4);
    EXPECT_EQ(bench.runner.waits[0].status, QStringLiteral("状态：视频时长归一化中..."));
    EXPECT_EQ(bench.runner.waits[1].startsBefore, 5);
    EXPECT_TRUE(
        matches(bench.runner.waits[1].status, QStringLiteral("状态：视频生成中...0mb；1/10；") + Times))
        << bench.runner.waits[1].status.toStdString();
    // A re-seed when the output starts and before each of the four draws.
    EXPECT_EQ(bench.random.reseeds, 5);
    EXPECT_EQ(bench.random.draws(), 6);
}

TEST_F(VideoVideoFourSourceTest, StatusTextsFollowTheSteps)
{
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    const QStringList &s = bench.context.statuses;
    const QStringList expectedStart{
        QStringLiteral("状态：视频源随机抽取中...0/4"), QStringLiteral("状态：视频源随机抽取中...1/4"),
        QStringLiteral("状态：视频源随机抽取中...2/4"), QStringLiteral("状态：视频源随机抽取中...3/4"),
        QStringLiteral("状态：视频源随机抽取中...4/4"), QStringLiteral("状态：已抽取视频源预处理中..."),
        QStringLiteral("状态：视频时长归一化中...1/4"), QStringLiteral("状态：视频时长归一化中...2/4"),
        QStringLiteral("状态：视频时长归一化中...3/4"), QStringLiteral("状态：视频时长归一化中...4/4"),
        QStringLiteral("状态：视频时长归一化中...")};
    ASSERT_GE(s.size(), expectedStart.size() + 2);
    EXPECT_EQ(s.mid(0, expectedStart.size()), expectedStart);
    // Nothing was written, so the last word is a failure and never an "Ok".
    EXPECT_TRUE(matches(s.last(), QStringLiteral("状态：视频生成失败！0mb；1/10；") + Times))
        << s.last().toStdString();
    for (const QString &status : s)
        EXPECT_FALSE(status.contains(QStringLiteral("Ok"))) << status.toStdString();
    EXPECT_GE(bench.context.pumps, 4);
}

TEST_F(VideoVideoFourSourceTest, PreciseCutReEncodesAndAddsThePixelFormatToH264Clips)
{
    // H.264 clips of an odd-sized source get one black line to an even size.
    const QString evenFrame = QStringLiteral(" -vf pad=ceil(iw/2)*2:ceil(ih/2)*2");
    bench.videos = SourceTable(SourceKind::Video);
    a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    b = bench.addVideo(QStringLiteral("b.avi"), 160, 120, QStringLiteral("4"));
    c = bench.addVideo(QStringLiteral("c.mkv"), 160, 120, QStringLiteral("2"));
    d = bench.addVideo(QStringLiteral("d.rmvb"), 160, 120, QStringLiteral("5"));
    bench.settings.preciseCut = true;
    bench.settings.lengthRule = LengthRule::ShortestVideo;  // shortest: 2
    bench.settings.audioRule = AudioRule::LongestVideo;     // sound of the longest video
    bench.setDraws({0, 0, 0, 0, 0.5, 0.25, 0.1});
    bench.compose(1);

    const QString audio = bench.work(QStringLiteral("Audio.mp3"));
    QString final = QStringLiteral("-i ") + audio + QLatin1Char(' ');
    for (const QString &name :
         {QStringLiteral("0.mp4"), QStringLiteral("1.avi"), QStringLiteral("2.mkv"), QStringLiteral("3.mkv")})
        final += QStringLiteral(" -i ") + bench.work(name);
    final += QStringLiteral(" -filter_complex [1:v]pad=320:240[a];[a][2:v]overlay=160[b];"
                            "[b][3:v]overlay=0:120[c];[c][4:v]overlay=160:120 -map 0:a"
                            " -y -q:v 0 -q:a 0 -t 2 -pix_fmt yuv420p ")
             + bench.writing(1);
    final = final.simplified();
    const QStringList expected{
        QStringLiteral("-ss 0.5 -t 2 -i ") + a + QStringLiteral(" -y -q:v 0 -q:a 0") + evenFrame
            + QStringLiteral(" -pix_fmt yuv420p ") + bench.work(QStringLiteral("0.mp4")),
        QStringLiteral("-ss 0.5 -t 2 -i ") + b + QStringLiteral(" -y -q:v 0 -q:a 0 ")
            + bench.work(QStringLiteral("1.avi")),
        QStringLiteral("-ss 0 -t 2 -i ") + c + QStringLiteral(" -y -q:v 0 -q:a 0") + evenFrame
            + QStringLiteral(" -pix_fmt yuv420p ") + bench.work(QStringLiteral("2.mkv")),
        // .rmvb cannot be written: its cut becomes a Matroska clip.
        QStringLiteral("-ss 0.3 -t 2 -i ") + d + QStringLiteral(" -y -q:v 0 -q:a 0") + evenFrame
            + QStringLiteral(" -pix_fmt yuv420p ") + bench.work(QStringLiteral("3.mkv")),
        // The first source longer than the length gives the sound, cut like its picture.
        QStringLiteral("-i ") + bench.work(QStringLiteral("0.mp4")) + QStringLiteral(" -y -q:a 0 ") + audio,
        final};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    ASSERT_EQ(bench.runner.waits.size(), 3);
    EXPECT_TRUE(matches(bench.runner.waits[0].status, QStringLiteral("状态：视频时长归一化中...") + Times))
        << bench.runner.waits[0].status.toStdString();
    EXPECT_EQ(bench.runner.waits[1].status, QStringLiteral("状态：提取音频中..."));
    EXPECT_EQ(bench.runner.waits[1].startsBefore, 5);
}

TEST_F(VideoVideoFourSourceTest, TheCopyModeSoundExtractionIsReEncodedToo)
{
    bench.settings.audioRule = AudioRule::LongestVideo;
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    const QString audio = bench.work(QStringLiteral("Audio.mp3"));
    ASSERT_EQ(bench.runner.arguments.size(), 6);
    EXPECT_ARGS(bench.runner.argumentLists.mid(0, 4), ArgumentsOf(copyCutsOfTheUsualDraws()));
    // b is the first source longer than 3 s.
    EXPECT_ARGS(bench.runner.argumentLists[4],
                ArgumentsOf(QStringLiteral("-i ") + bench.work(QStringLiteral("1.mp4"))
                            + QStringLiteral(" -y -q:a 0 ") + audio));
    EXPECT_ARGS(bench.runner.argumentLists[5],
                ArgumentsOf(equalFinal(QStringLiteral("-i ") + audio + QLatin1Char(' '))));
}

TEST_F(VideoVideoFourSourceTest, WithoutALongerSourceTheLongestGivesTheSoundFirstOnTies)
{
    bench.videos = SourceTable(SourceKind::Video);
    a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    b = bench.addVideo(QStringLiteral("b.mp4"), 160, 120, QStringLiteral("5"));
    c = bench.addVideo(QStringLiteral("c.mp4"), 160, 120, QStringLiteral("2"));
    d = bench.addVideo(QStringLiteral("d.mp4"), 160, 120, QStringLiteral("5"));
    bench.settings.lengthRule = LengthRule::LongestVideo;  // longest: 5, and the first and last swap places
    bench.settings.audioRule = AudioRule::LongestVideo;
    bench.setDraws({0, 0, 0, 0});
    bench.compose(1);
    const QString audio = bench.work(QStringLiteral("Audio.mp3"));
    const QStringList expected{copyCut(QStringLiteral("0"), QStringLiteral("5"), d, 0),
                               copyCut(QStringLiteral("0"), QStringLiteral("5"), b, 1),
                               copyCut(QStringLiteral("0"), QStringLiteral("5"), c, 2),
                               copyCut(QStringLiteral("0"), QStringLiteral("5"), a, 3),
                               QStringLiteral("-i ") + bench.work(QStringLiteral("0.mp4"))
                                   + QStringLiteral(" -y -q:a 0 ") + audio,
                               equalFinal(QStringLiteral("-i ") + audio + QLatin1Char(' '),
                                          QStringLiteral("mp4"), QStringLiteral("5"))};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    EXPECT_EQ(bench.random.draws(), 4);  // no start offsets to draw
}

TEST_F(VideoVideoFourSourceTest, ALongChosenAudioIsCutAtARandomStart)
{
    const QString song = bench.source(QStringLiteral("song.mp3"));
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioText = song;
    bench.settings.fixedAudioLengthText = QStringLiteral("12.5秒");
    bench.settings.audioRandomStart = true;
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5, 0.1});
    bench.compose(1);
    const QString track = bench.work(QStringLiteral("Tmp.mp3"));
    const QStringList expected =
        copyCutsOfTheUsualDraws()
        + QStringList{QStringLiteral("-ss 0.95 -t 3 -i ") + song + QStringLiteral(" -y -q:a 0 ") + track,
                      equalFinal(QStringLiteral("-i ") + track + QLatin1Char(' '))};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    ASSERT_EQ(bench.runner.waits.size(), 3);
    EXPECT_EQ(bench.runner.waits[1].status, QStringLiteral("状态：音频预处理中..."));
}

TEST_F(VideoVideoFourSourceTest, ALongChosenAudioStartsAtZeroWithoutRandomStart)
{
    const QString song = bench.source(QStringLiteral("song.ape"));
    bench.settings.audioRule = AudioRule::FixedAudio;  // the other chosen-audio entry behaves the same
    bench.settings.fixedAudioText = song;
    bench.settings.fixedAudioLengthText = QStringLiteral("12.5秒");
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    // An audio container the tool cannot write is cut into Matroska audio.
    const QString track = bench.work(QStringLiteral("Tmp.mka"));
    ASSERT_EQ(bench.runner.arguments.size(), 6);
    EXPECT_ARGS(bench.runner.argumentLists[4],
                ArgumentsOf(QStringLiteral("-ss 0 -t 3 -i ") + song + QStringLiteral(" -y -q:a 0 ") + track));
    EXPECT_ARGS(bench.runner.argumentLists[5],
                ArgumentsOf(equalFinal(QStringLiteral("-i ") + track + QLatin1Char(' '))));
    EXPECT_EQ(bench.random.draws(), 6);
}

TEST_F(VideoVideoFourSourceTest, AShortChosenAudioIsUsedAsItIs)
{
    const QString song = bench.source(QStringLiteral("song.mp3"));
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioText = song;
    bench.settings.fixedAudioLengthText = QStringLiteral("3秒");  // as long as the output
    bench.settings.addAudio = true;                               // no fill-up in this variant
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    EXPECT_ARGS(bench.runner.argumentLists,
                ArgumentsOf(copyCutsOfTheUsualDraws()
                            + QStringList{equalFinal(QStringLiteral("-i ") + song + QLatin1Char(' '))}));
}

TEST_F(VideoVideoFourSourceTest, ARandomAudioRowBecomesTheChosenAudio)
{
    const QString x = bench.addAudio(QStringLiteral("x.mp3"), QStringLiteral("10"));
    const QString y = bench.addAudio(QStringLiteral("y.wav"), QStringLiteral("2.5"));
    bench.addAudio(QStringLiteral("z.mp3"), QStringLiteral("7"));
    bench.settings.audioRule = AudioRule::RandomAudio;
    bench.settings.audioRandomStart = true;
    // 0.6 × 3 entries = 1.8, rounded to entry 2 (y, 2.5 s, shorter than 3 s: used as it is).
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5, 0.6});
    bench.compose(1);
    EXPECT_ARGS(bench.runner.argumentLists,
                ArgumentsOf(copyCutsOfTheUsualDraws()
                            + QStringList{equalFinal(QStringLiteral("-i ") + y + QLatin1Char(' '))}));
    ASSERT_EQ(bench.context.fixedAudio.size(), 1);
    EXPECT_EQ(bench.context.fixedAudio[0].first, y);
    EXPECT_EQ(bench.context.fixedAudio[0].second, QStringLiteral("2.5秒"));
    EXPECT_EQ(bench.settings.fixedAudioText, y);
    EXPECT_EQ(bench.settings.fixedAudioLengthText, QStringLiteral("2.5秒"));
    EXPECT_EQ(bench.settings.audioRule, AudioRule::RandomAudio);
    Q_UNUSED(x);
}

TEST_F(VideoVideoFourSourceTest, ARandomAudioDrawBelowTheFirstRowTakesTheFirst)
{
    const QString x = bench.addAudio(QStringLiteral("x.mp3"), QStringLiteral("10"));
    bench.addAudio(QStringLiteral("y.wav"), QStringLiteral("2.5"));
    bench.addAudio(QStringLiteral("z.mp3"), QStringLiteral("7"));
    bench.settings.audioRule = AudioRule::RandomAudio;
    // 0.1 × 3 = 0.3 rounds to 0, which becomes entry 1 (x, 10 s, cut from 0).
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5, 0.1});
    bench.compose(1);
    const QString track = bench.work(QStringLiteral("Tmp.mp3"));
    ASSERT_EQ(bench.runner.arguments.size(), 6);
    EXPECT_ARGS(bench.runner.argumentLists[4],
                ArgumentsOf(QStringLiteral("-ss 0 -t 3 -i ") + x + QStringLiteral(" -y -q:a 0 ") + track));
    EXPECT_EQ(bench.settings.fixedAudioText, x);
    EXPECT_EQ(bench.settings.fixedAudioLengthText, QStringLiteral("10秒"));
}

TEST_F(VideoVideoFourSourceTest, ARandomAudioFromAnEmptyListFailsTheOutput)
{
    bench.settings.audioRule = AudioRule::RandomAudio;
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5, 0.5});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(copyCutsOfTheUsualDraws()));  // no final run
    EXPECT_TRUE(bench.context.fixedAudio.isEmpty());
    EXPECT_TRUE(bench.context.statuses.last().startsWith(QStringLiteral("状态：视频生成失败！")));
}

TEST_F(VideoVideoFourSourceTest, AviOutputGetsNoPixelFormat)
{
    bench.settings.outputType = QStringLiteral("avi");
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    ASSERT_EQ(bench.runner.arguments.size(), 5);
    EXPECT_ARGS(bench.runner.argumentLists[4], ArgumentsOf(equalFinal({}, QStringLiteral("avi"))));
    EXPECT_TRUE(bench.runner.arguments[4].endsWith(QStringLiteral("/Out/0001.zarv-unfinished.avi")));
}

TEST_F(VideoVideoFourSourceTest, DrawsTakeRandomTimesEntriesMinusOneRoundedAndNeverRepeat)
{
    // 0.5 × 3 = 1.5 → 2 (ties to even): c; then 0.5 × 2 = 1: b; 0.9 × 1 = 0.9 → 1: d; a is left.
    bench.setDraws({0.5, 0.5, 0.9, 0.3, 0, 0, 0});
    bench.settings.lengthRule = LengthRule::ShortestVideo;  // shortest: 2
    bench.compose(1);
    ASSERT_GE(bench.runner.arguments.size(), 4);
    EXPECT_TRUE(bench.runner.arguments[0].contains(c));
    EXPECT_TRUE(bench.runner.arguments[1].contains(b));
    EXPECT_TRUE(bench.runner.arguments[2].contains(d));
    EXPECT_TRUE(bench.runner.arguments[3].contains(a));
}

TEST_F(VideoVideoFourSourceTest, AFixedLengthAboveEveryDurationBecomesTheLongest)
{
    bench.settings.lengthRule = LengthRule::Fixed;
    bench.settings.lengthText = QStringLiteral("30");
    bench.setDraws({0, 0, 0, 0});
    bench.compose(1);
    // Fixed length swaps the first and last: d (5 s) leads; nothing is longer than 5.
    ASSERT_EQ(bench.runner.arguments.size(), 5);
    EXPECT_ARGS(bench.runner.argumentLists[0],
                ArgumentsOf(copyCut(QStringLiteral("0"), QStringLiteral("5"), d, 0)));
    EXPECT_ARGS(bench.runner.argumentLists[3],
                ArgumentsOf(copyCut(QStringLiteral("0"), QStringLiteral("5"), a, 3)));
}

TEST_F(VideoVideoFourSourceTest, ARandomFixedLengthIsDrawnFromTheRange)
{
    bench.settings.lengthRule = LengthRule::Fixed;
    bench.settings.randomLength = true;
    bench.settings.randomLengthRangeText = QStringLiteral("1-4");
    // 3 × 0.3337 = 1.0011 → 1.001, + 1 = 2.001; the three sources longer than that draw a start.
    bench.setDraws({0, 0, 0, 0, 0.3337, 0, 0, 0});
    bench.compose(1);
    ASSERT_EQ(bench.runner.arguments.size(), 5);
    EXPECT_ARGS(bench.runner.argumentLists[0],
                ArgumentsOf(copyCut(QStringLiteral("0"), QStringLiteral("2.001"), d, 0)));
    EXPECT_EQ(bench.random.draws(), 8);
}

TEST_F(VideoVideoFourSourceTest, ARangeWithoutADashFailsTheOutput)
{
    bench.settings.lengthRule = LengthRule::Fixed;
    bench.settings.randomLength = true;
    bench.settings.randomLengthRangeText = QStringLiteral("20");
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
}

TEST_F(VideoVideoFourSourceTest, AnUnreadableNumberInARowFailsTheOutput)
{
    bench.videos = SourceTable(SourceKind::Video);
    bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    bench.videos.append({QStringLiteral("b.mp4"), bench.sourceFolder, QStringLiteral("wide"),
                         QStringLiteral("120"), QStringLiteral("4")});
    bench.addVideo(QStringLiteral("c.mp4"), 160, 120, QStringLiteral("2"));
    bench.addVideo(QStringLiteral("d.mp4"), 160, 120, QStringLiteral("5"));
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
    EXPECT_TRUE(bench.context.statuses.last().startsWith(QStringLiteral("状态：视频生成失败！0mb；1/10；")));
}

TEST_F(VideoVideoFourSourceTest, TooFewEntriesFailTheOutput)
{
    bench.videos = SourceTable(SourceKind::Video);
    bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    bench.addVideo(QStringLiteral("b.mp4"), 160, 120, QStringLiteral("4"));
    bench.setDraws({0.7});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
}

TEST_F(VideoVideoFourSourceTest, AMissingSourceFailsTheOutputBeforeAnyRun)
{
    ASSERT_TRUE(QFile::remove(c));
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
}

TEST_F(VideoVideoFourSourceTest, AStopAtTheCutWaitEndsTheOutput)
{
    bench.context.stop = true;
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    EXPECT_EQ(bench.compose(1), OutputResult::Stopped);
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(copyCutsOfTheUsualDraws()));
    EXPECT_EQ(bench.runner.waits.size(), 1);
    for (const QString &status : bench.context.statuses)
        EXPECT_FALSE(status.startsWith(QStringLiteral("状态：视频生成"))) << status.toStdString();
}

TEST_F(VideoVideoFourSourceTest, TheSlideShowOptionMakesASlideShow)
{
    bench.settings.slideShow = true;
    bench.settings.reuse = true;  // with the slide show, reuse does not pick the same-video variant
    bench.settings.videoDrawText = QStringLiteral("4");
    bench.settings.outputWidth = 320;
    bench.settings.outputHeight = 240;
    // The runner runs nothing, so no frame is grabbed and the output fails.
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    ASSERT_FALSE(bench.runner.argumentLists.isEmpty());
    EXPECT_TRUE(bench.runner.argumentLists.first().contains(QStringLiteral("image2")));
    EXPECT_TRUE(bench.context.shownEntries.isEmpty());
}

TEST_F(VideoVideoFourSourceTest, AnOutputWrittenDuringTheOutputIsDoneWithItsSize)
{
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    const QString writing = bench.writing(1);
    const auto playTool = bench.runner.onStart;
    bench.runner.onStart = [writing, playTool](const QStringList &arguments) {
        if (arguments.last() != writing)
            return playTool(arguments);
        QFile file(writing);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(2048, 'x'));
    };
    EXPECT_EQ(bench.compose(1), OutputResult::Done);
    // Complete, it took the output's name.
    EXPECT_EQ(QFileInfo(bench.output(1)).size(), 2048);
    EXPECT_FALSE(QFileInfo::exists(writing));
    // 2048 bytes are 0.00195 MB: 0.002mb.
    EXPECT_TRUE(matches(bench.runner.waits.last().status,
                        QStringLiteral("状态：视频生成中...0\\.002mb；1/10；") + Times))
        << bench.runner.waits.last().status.toStdString();
    EXPECT_TRUE(
        matches(bench.context.statuses.last(), QStringLiteral("状态：视频生成Ok！0\\.002mb；1/10；") + Times))
        << bench.context.statuses.last().toStdString();
}

TEST_F(VideoVideoFourSourceTest, AnEarlierOutputIsNoOutputOfThisRunAndStaysWhenNothingIsWritten)
{
    const QString out = bench.output(1);
    {
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(
        matches(bench.context.statuses.last(), QStringLiteral("状态：视频生成失败！0mb；1/10；") + Times))
        << bench.context.statuses.last().toStdString();
    EXPECT_EQ(QFileInfo(out).size(), 4096);

    // An empty file is no output either.
    const QString writing = bench.writing(1);
    bench.runner.onStart = [writing](const QStringList &arguments) {
        if (arguments.last() == writing)
            QFile(writing).open(QIODevice::WriteOnly);
    };
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_EQ(QFileInfo(out).size(), 4096);
    EXPECT_FALSE(QFileInfo::exists(writing));
}

// ---- layout ---------------------------------------------------------------------------

class VideoVideoLayoutTest : public ::testing::Test {
protected:
    // Sources named by their width, heights a tenth of it.
    void addSized(std::initializer_list<int> widths)
    {
        for (int width : widths)
            bench.addVideo(QStringLiteral("w%1.mp4").arg(width), width, width / 10, QStringLiteral("3"));
    }
    QString finalFilter() const
    {
        const QStringList &words = bench.runner.argumentLists.last();
        return words.value(words.indexOf(QStringLiteral("-filter_complex")) + 1);
    }
    ComposeBench bench;
};

TEST_F(VideoVideoLayoutTest, TheExchangePassDecidesTheClipOrderAndTheCanvas)
{
    addSized({400, 300, 200, 100});
    bench.settings.lengthRule = LengthRule::FirstVideo;
    bench.setDraws({0});
    bench.compose(1);
    ASSERT_EQ(bench.runner.arguments.size(), 5);
    // 400, 300, 200, 100 end as 100, 400, 200, 300.
    EXPECT_TRUE(bench.runner.arguments[0].contains(QStringLiteral("w100.mp4")));
    EXPECT_TRUE(bench.runner.arguments[1].contains(QStringLiteral("w400.mp4")));
    EXPECT_TRUE(bench.runner.arguments[2].contains(QStringLiteral("w200.mp4")));
    EXPECT_TRUE(bench.runner.arguments[3].contains(QStringLiteral("w300.mp4")));
    // Canvas: max(100 + 300, 400 + 200) = 600, max(40 + 20, 10 + 30) = 60; edge to edge:
    // clip 1 right of clip 0, clip 2 below it, clip 3 at (width 2, height 1).
    EXPECT_EQ(finalFilter(), QStringLiteral("[0:v]pad=600:60[a];[a][1:v]overlay=100[b];"
                                            "[b][2:v]overlay=0:10[c];[c][3:v]overlay=200:40"));
}

TEST_F(VideoVideoLayoutTest, CornerPlacementPutsEachClipInItsCorner)
{
    addSized({400, 300, 200, 100});
    bench.settings.lengthRule = LengthRule::FirstVideo;
    bench.settings.noSpace = false;
    bench.setDraws({0});
    bench.compose(1);
    EXPECT_EQ(finalFilter(), QStringLiteral("[0:v]pad=600:60[a];[a][1:v]overlay=200[b];"
                                            "[b][2:v]overlay=0:40[c];[c][3:v]overlay=300:30"));
}

TEST_F(VideoVideoLayoutTest, AnOddCanvasIsPaddedToEvenWithThePlacementsUnchanged)
{
    bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    bench.addVideo(QStringLiteral("odd.avi"), 161, 121, QStringLiteral("3"));
    bench.addVideo(QStringLiteral("c.mp4"), 160, 120, QStringLiteral("3"));
    bench.addVideo(QStringLiteral("d.mp4"), 160, 120, QStringLiteral("3"));
    bench.settings.lengthRule = LengthRule::FirstVideo;
    bench.settings.noSpace = false;
    bench.setDraws({0});
    bench.compose(1);
    // Canvas 321 x 241: clip 1 (161 x 121) at 321 − 161, clip 2 at 241 − 120, clip 3 at (161, 121).
    EXPECT_EQ(finalFilter(), QStringLiteral("[0:v]pad=322:242[a];[a][1:v]overlay=160[b];"
                                            "[b][2:v]overlay=0:121[c];[c][3:v]overlay=161:121"));
    EXPECT_TRUE(bench.runner.arguments[1].contains(QStringLiteral("odd.avi")));
}

// ---- same video ---------------------------------------------------------------------------

class VideoVideoSameVideoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bench.settings.reuse = true;
        bench.addVideo(QStringLiteral("v1.mp4"), 200, 100, QStringLiteral("6"));
        v2 = bench.addVideo(QStringLiteral("v2.mp4"), 320, 240, QStringLiteral("4"));
        song = bench.source(QStringLiteral("song.mp3"));
        bench.settings.fixedAudioText = song;
    }

    QString final(const QString &audioInput, const QString &outputType = QStringLiteral("mp4")) const
    {
        const int f = audioInput.isEmpty() ? 0 : 1;
        QString text = audioInput;
        for (int k = 0; k < 4; ++k)
            text += QStringLiteral(" -i ") + v2;
        text += QStringLiteral(" -filter_complex [%1:v]pad=iw*2:ih*2[a];[a][%2:v]overlay=w[b];"
                               "[b][%3:v]overlay=0:h[c];[c][%4:v]overlay=w:h")
                    .arg(f)
                    .arg(f + 1)
                    .arg(f + 2)
                    .arg(f + 3);
        if (!audioInput.isEmpty())
            text += QStringLiteral(" -map 0:a");
        text += QStringLiteral(" -y -q:v 0 -q:a 0");
        if (outputType == QLatin1String("mp4"))
            text += QStringLiteral(" -pix_fmt yuv420p");
        return (text + QLatin1Char(' ') + bench.writing(2)).simplified();
    }
    static QString input(const QString &track) { return QStringLiteral("-i ") + track + QLatin1Char(' '); }

    ComposeBench bench;
    QString v2, song;
};

TEST_F(VideoVideoSameVideoTest, TheVideosOwnSoundGivesFourInputs)
{
    for (int rule : {0, 1}) {
        bench.runner.forgetArguments();
        bench.runner.waits.clear();
        bench.settings.audioRule = AudioRule(rule);
        EXPECT_EQ(bench.compose(2), OutputResult::Failed);
        EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(QStringList{final({})}));
        ASSERT_EQ(bench.runner.waits.size(), 1);
        EXPECT_TRUE(
            matches(bench.runner.waits[0].status, QStringLiteral("状态：视频生成中...0mb；2/10；") + Times));
    }
    EXPECT_EQ(bench.context.shownEntries, (QList<int>{2, 2}));
    EXPECT_EQ(bench.random.draws(), 0);
    EXPECT_EQ(bench.random.reseeds, 2);
}

TEST_F(VideoVideoSameVideoTest, AviOutputGetsNoPixelFormat)
{
    bench.settings.outputType = QStringLiteral("avi");
    bench.compose(2);
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(QStringList{final({}, QStringLiteral("avi"))}));
}

TEST_F(VideoVideoSameVideoTest, ALongAudioIsCutToTheVideoAtARandomStart)
{
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("10秒");
    bench.settings.audioRandomStart = true;
    bench.setDraws({0.125});  // (10 − 4) × 0.125 = 0.75
    bench.compose(2);
    const QString track = bench.work(QStringLiteral("Tmp.mp3"));
    const QStringList expected{QStringLiteral("-ss 0.75 -t 4 -i ") + song
                                   + QStringLiteral(" -y -q:a 0 -acodec copy ") + track,
                               final(input(track))};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    ASSERT_EQ(bench.runner.waits.size(), 2);
    EXPECT_EQ(bench.runner.waits[0].status, QStringLiteral("状态：音频预处理中..."));
}

TEST_F(VideoVideoSameVideoTest, ALongAudioStartsAtZeroWithoutRandomStart)
{
    bench.settings.audioRule = AudioRule::FixedAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("10秒");
    bench.compose(2);
    ASSERT_EQ(bench.runner.arguments.size(), 2);
    EXPECT_ARGS(bench.runner.argumentLists[0], ArgumentsOf(QStringLiteral("-ss 0 -t 4 -i ") + song
                                                           + QStringLiteral(" -y -q:a 0 -acodec copy ")
                                                           + bench.work(QStringLiteral("Tmp.mp3"))));
    EXPECT_EQ(bench.random.draws(), 0);
}

TEST_F(VideoVideoSameVideoTest, AShortAudioIsUsedAsItIsWithoutFillUp)
{
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("2.5秒");
    bench.compose(2);
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(QStringList{final(input(song))}));
}

TEST_F(VideoVideoSameVideoTest, FillUpJoinsTheAudioAndTheRestOfTheVideosSound)
{
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("2.5秒");
    bench.settings.addAudio = true;
    bench.compose(2);
    const QString rest = bench.work(QStringLiteral("1.mp3"));
    const QString head = bench.work(QStringLiteral("0.mp3"));
    const QString list = bench.work(QStringLiteral("List.txt"));
    const QString joined = bench.work(QStringLiteral("M.mp3"));
    const QStringList expected{
        QStringLiteral("-ss 2.5 -i ") + v2 + QStringLiteral(" -y -q:a 0 -ar 44100 -b:a 192k -ac 2 ") + rest,
        QStringLiteral("-i ") + song + QStringLiteral(" -y -q:a 0 -ar 44100 -b:a 192k -ac 2 ") + head,
        QStringLiteral("-f concat -safe 0 -i ") + list + QStringLiteral(" -y -q:a 0 -acodec copy ") + joined,
        final(input(joined))};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    ASSERT_EQ(bench.runner.waits.size(), 3);
    EXPECT_EQ(bench.runner.waits[0].startsBefore, 2);
    EXPECT_TRUE(matches(bench.runner.waits[0].status, QStringLiteral("状态：音频预处理中...；") + Times))
        << bench.runner.waits[0].status.toStdString();
    EXPECT_EQ(bench.runner.waits[1].status, QStringLiteral("状态：音频预处理中..."));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (QStringLiteral("file '") + head + QStringLiteral("'\r\nfile '") + rest
                               + QStringLiteral("'\r\n"))
                                  .toUtf8());
}

TEST_F(VideoVideoSameVideoTest, AnAudioAsLongAsTheVideoIsFilledUpFromTheVideosEnd)
{
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("4秒");
    bench.settings.addAudio = true;
    bench.settings.audioRandomStart = true;
    bench.compose(2);
    ASSERT_EQ(bench.runner.arguments.size(), 4);
    EXPECT_TRUE(bench.runner.arguments[0].startsWith(QStringLiteral("-ss 4 -i ")));
    EXPECT_EQ(bench.random.draws(), 0);
}

TEST_F(VideoVideoSameVideoTest, ARandomAudioRowIsPickedAndCut)
{
    const QString x = bench.addAudio(QStringLiteral("x.mp3"), QStringLiteral("10"));
    bench.settings.audioRule = AudioRule::RandomAudio;
    bench.setDraws({0.9});  // one entry: 0.9 × 1 rounds to entry 1
    bench.compose(2);
    const QString track = bench.work(QStringLiteral("Tmp.mp3"));
    const QStringList expected{QStringLiteral("-ss 0 -t 4 -i ") + x
                                   + QStringLiteral(" -y -q:a 0 -acodec copy ") + track,
                               final(input(track))};
    EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(expected));
    ASSERT_EQ(bench.context.fixedAudio.size(), 1);
    EXPECT_EQ(bench.context.fixedAudio[0], qMakePair(x, QStringLiteral("10秒")));
    EXPECT_EQ(bench.settings.fixedAudioText, x);
}

TEST_F(VideoVideoSameVideoTest, AMissingSourceSkipsTheOutputAtOnce)
{
    EXPECT_EQ(bench.compose(3), OutputResult::Skipped);  // no third entry
    ASSERT_TRUE(QFile::remove(v2));
    EXPECT_EQ(bench.compose(2), OutputResult::Skipped);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
    EXPECT_TRUE(bench.runner.waits.isEmpty());
}

TEST_F(VideoVideoSameVideoTest, AStopDuringTheFinalWaitEndsWithoutAVerdict)
{
    bench.context.stop = true;
    EXPECT_EQ(bench.compose(2), OutputResult::Stopped);
    EXPECT_EQ(bench.runner.arguments.size(), 1);
    for (const QString &status : bench.context.statuses) {
        EXPECT_FALSE(status.startsWith(QStringLiteral("状态：视频生成Ok"))) << status.toStdString();
        EXPECT_FALSE(status.startsWith(QStringLiteral("状态：视频生成失败"))) << status.toStdString();
    }
}

TEST_F(VideoVideoSameVideoTest, AnUnreadableDurationFailsAChosenAudioOutput)
{
    bench.videos = SourceTable(SourceKind::Video);
    bench.addVideo(QStringLiteral("v1.mp4"), 200, 100, QStringLiteral("6"));
    bench.videos.append({QStringLiteral("v2.mp4"), bench.sourceFolder, QStringLiteral("320"),
                         QStringLiteral("240"), QString()});
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("10秒");
    EXPECT_EQ(bench.compose(2), OutputResult::Failed);
    EXPECT_TRUE(bench.runner.arguments.isEmpty());
}

}  // namespace
