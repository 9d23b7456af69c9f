// The one-pass four-source composition made by the real tool, against the
// usual way: same canvas, same length, the same picture.
#include "ComposeBench.h"
#include "app/library/MediaInfoProber.h"
#include "tests/support/MediaFactory.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>

#include <gtest/gtest.h>

namespace {

// Runs ffprobe or ffmpeg (beside the system ffmpeg) and gives what it printed.
QString toolText(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + '/' + tool, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll());
}

// "WIDTHxHEIGHT VIDEO-SECONDS SAMPLE-RATE": seconds to a tenth (a frame is 0.04),
// rate 0 without sound.
QString facts(const QString &path)
{
    const QString v = toolText("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                                           "stream=width,height,duration", "-of", "csv=p=0", path});
    const QString a = toolText("ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries",
                                           "stream=sample_rate", "-of", "csv=p=0", path});
    const QStringList f = v.trimmed().split(',');
    return QStringLiteral("%1x%2 %3 %4").arg(f.value(0), f.value(1)).arg(f.value(2).toDouble(), 0, 'f', 1)
        .arg(a.trimmed().isEmpty() ? QStringLiteral("0") : a.trimmed());
}

double middleFramePsnr(const QString &first, const QString &second)
{
    const QRegularExpressionMatch m = QRegularExpression("average:([0-9.]+|inf)").match(
        toolText("ffmpeg", {"-ss", "1", "-i", first, "-ss", "1", "-i", second, "-lavfi", "psnr", "-frames:v", "1",
                            "-f", "null", "-"}));
    return !m.hasMatch() ? -1 : m.captured(1) == "inf" ? 100 : m.captured(1).toDouble();
}

TEST(OnePassEndToEnd, MatchesThePreciseCutsInCanvasLengthAndPicture)
{
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    MediaInfoProber prober;  // gives the frame rates that allow the stacked layout
    bench.environment.outputProber = &prober;
    // Laid out side by side, with a black gap in the packed placement.
    const QList<QSize> sizes{{160, 120}, {160, 120}, {192, 120}, {128, 96}};
    for (int i = 0; i < sizes.size(); ++i) {
        const QString name = QStringLiteral("s%1.mp4").arg(i);
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), sizes[i].width(), sizes[i].height(), 3.0 + 0.5 * i));
        bench.addVideo(name, sizes[i].width(), sizes[i].height(), QString::number(3.0 + 0.5 * i));
    }
    // Both placements; 2 s: every source starts at random; 4 s: two sources
    // end early and hold their last frame.
    const std::tuple<bool, QString, QString> cases[] = {
        {true, "2", "2.0"}, {false, "2", "2.0"}, {false, "4", "4.0"}};
    QStringList layouts;
    int n = 0;
    for (const auto &[noSpace, length, seconds] : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(noSpace).arg(length).toStdString());
        bench.settings.noSpace = noSpace;
        bench.settings.lengthText = length;
        // Precise cuts start exactly at their offsets, as one pass does.
        bench.settings.preciseCut = true;
        bench.settings.fourSourcePipeline = FourSourcePipeline::CutsThenComposition;
        bench.setDraws({0.3, 0.6, 0.1, 0.8, 0.45, 0.7, 0.2, 0.9});
        ASSERT_EQ(bench.compose(++n), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        bench.settings.fourSourcePipeline = FourSourcePipeline::OnePass;
        bench.setDraws({0.3, 0.6, 0.1, 0.8, 0.45, 0.7, 0.2, 0.9});
        const qsizetype runsBefore = bench.runner.arguments.size();
        ASSERT_EQ(bench.compose(++n), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        EXPECT_EQ(bench.runner.arguments.size(), runsBefore + 1);
        layouts << (bench.runner.arguments.last().contains("xstack") ? "stacked" : "overlaid");
        EXPECT_EQ(facts(bench.output(n)), facts(bench.output(n - 1)));
        EXPECT_EQ(facts(bench.output(n)).section(" ", 1, 1), seconds);
        EXPECT_GE(middleFramePsnr(bench.output(n - 1), bench.output(n)), 30.0);
    }
    EXPECT_EQ(layouts, QStringList({"stacked", "stacked", "stacked"}));
}

TEST(OnePassEndToEnd, SourcesOfDifferentFrameRatesAreOverlaid)
{
    // Stacked, they would make the tool write frames without end.
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    MediaInfoProber prober;
    bench.environment.outputProber = &prober;
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("r%1.mp4").arg(i);
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), 160, 120, 3.0, MediaFactory::Sound::With,
                                            i == 2 ? 30 : 25));
        bench.addVideo(name, 160, 120, QStringLiteral("3"));
    }
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.fourSourcePipeline = FourSourcePipeline::OnePass;
    bench.setDraws({0.3, 0.6, 0.1, 0.8, 0.45, 0.7, 0.2, 0.9});
    ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
    EXPECT_TRUE(bench.runner.arguments.last().contains("overlay=")) << bench.runner.arguments.last().toStdString();
    EXPECT_EQ(facts(bench.output(1)), QStringLiteral("320x240 2.0 44100"));
}

TEST(OnePassEndToEnd, EverySoundRuleWithOddSizesAndASilentSource)
{
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    // Odd sizes in AVI (the test's H.264 encoder refuses them). The silent
    // video is the widest, first after ordering: the longest-video rule
    // (every source is longer than 2 s) takes its silence.
    const QList<std::tuple<QString, QSize, MediaFactory::Sound>> sources{
        {"odd.avi", {161, 121}, MediaFactory::Sound::With}, {"small.avi", {99, 75}, MediaFactory::Sound::With},
        {"even.mp4", {160, 120}, MediaFactory::Sound::With}, {"silent.mp4", {200, 150}, MediaFactory::Sound::Without}};
    for (const auto &[name, size, sound] : sources) {
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), size.width(), size.height(), 3.0, sound));
        bench.addVideo(name, size.width(), size.height(), QStringLiteral("3"));
    }
    // A 22050 Hz track: the videos' sound is 44100 Hz.
    const QString track = bench.source("mono.wav");
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-f", "lavfi", "-i", "sine=sample_rate=22050:duration=6", track}));
    bench.addAudio("mono.wav", "6");
    bench.settings.fixedAudioText = track;
    bench.settings.fixedAudioLengthText = QStringLiteral("6秒");
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.noSpace = false;
    bench.settings.audioRandomStart = true;
    bench.settings.fourSourcePipeline = FourSourcePipeline::OnePass;
    // Canvas 321 x 241 (200 + 99 against 161 + 160; 121 + 120 against 150 + 75), grown to even.
    const std::pair<AudioRule, QString> cases[] = {
        {AudioRule::FirstVideo, "322x242 2.0 44100"}, {AudioRule::LongestVideo, "322x242 2.0 0"},
        {AudioRule::ChosenAudio, "322x242 2.0 22050"}, {AudioRule::RandomAudio, "322x242 2.0 22050"},
        {AudioRule::FixedAudio, "322x242 2.0 22050"}};
    int n = 0;
    for (const auto &[rule, expected] : cases) {
        SCOPED_TRACE(int(rule));
        bench.settings.audioRule = rule;
        bench.setDraws({0.0, 0.0, 0.0, 0.0, 0.5});
        ASSERT_EQ(bench.compose(++n), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        EXPECT_EQ(facts(bench.output(n)), expected) << bench.runner.arguments.last().toStdString();
    }
}

}  // namespace
