// Whole outputs of the Video+Video mode made by the real tool: the recording
// runner runs every argument string with the system ffmpeg in the workspace.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "app/compose/MediaExtensions.h"
#include "app/library/MediaInfoProber.h"
#include "tests/support/MediaFactory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

using Execution = RecordingToolRunner::Execution;

const double FrameSeconds = 1.0 / 25;
// A sound stream runs on by its encoder's delay and the rest of its last
// frame: up to two MP3 frames of 1152 samples at 22050 Hz, the coarsest here.
const double SoundSlackSeconds = 2 * 1152.0 / 22050;
// The AVI writer keeps a constant frame rate and repeats frames to fill the
// stream's time span, which adds a few frames to an AVI output.
const double AviVideoSlackSeconds = 3 * FrameSeconds + 0.001;

// Per-stream facts that MediaFactory::probe does not give.
struct StreamDetails {
    double videoSeconds = -1;
    double soundSeconds = -1;
    int sampleRate = 0;
    int channels = 0;
};

StreamDetails probeDetails(const QString &path)
{
    QProcess process;
    process.start(QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + QStringLiteral("/ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                   QStringLiteral("-print_format"), QStringLiteral("json"), path});
    StreamDetails details;
    if (!process.waitForFinished(60000))
        return details;
    const QJsonArray streams = QJsonDocument::fromJson(process.readAllStandardOutput())
                                   .object()
                                   .value(QStringLiteral("streams"))
                                   .toArray();
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value(QStringLiteral("codec_type")).toString();
        const double seconds = stream.value(QStringLiteral("duration")).toString().toDouble();
        if (type == QLatin1String("video") && details.videoSeconds < 0) {
            details.videoSeconds = seconds;
        } else if (type == QLatin1String("audio") && details.soundSeconds < 0) {
            details.soundSeconds = seconds;
            details.sampleRate = stream.value(QStringLiteral("sample_rate")).toString().toInt();
            details.channels = stream.value(QStringLiteral("channels")).toInt();
        }
    }
    return details;
}

// A clip with a test picture and a 44.1 kHz tone, every frame a key frame, so
// a stream-copy cut is as exact as a re-encoded one.
bool makeClip(const QString &path, int width, int height, double seconds, int soundChannels,
              const QString &pixelFormat = QStringLiteral("yuv420p"))
{
    const QString duration = QString::number(seconds, 'f', 3);
    QStringList args{
        "-f",  "lavfi",
        "-i",  QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(duration),
        "-f",  "lavfi",
        "-i",  QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(duration),
        "-ac", QString::number(soundChannels),
        "-g",  "1"};
    const QString suffix = QFileInfo(path).suffix();
    if (suffix == QLatin1String("mp4") || suffix == QLatin1String("mkv"))
        args << "-c:v"
             << "libx264"
             << "-preset"
             << "ultrafast"
             << "-pix_fmt" << pixelFormat << "-c:a"
             << "aac";
    else
        args << "-f"
             << "avi";  // also for names the tool does not know
    args << "-t" << duration << path;
    return MediaFactory::runFfmpeg(args);
}

// The duration cell of a file as the list holds it: seconds to three decimals.
QString durationCell(const QString &path)
{
    return QString::number(MediaFactory::probe(path).durationSeconds, 'f', 3);
}

// The common length given in an argument string ("-t 1.5").
double lengthIn(const QString &arguments)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral(" -t ([0-9.]+) ")).match(arguments);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

class VideoVideoEndToEndTest : public ::testing::Test {
protected:
    // Five short clips with sound, all 160 x 120, in several containers: an
    // H.264 4:4:4 Matroska clip, two MP4s, an AVI and an AVI named .divx
    // (which the tool cannot write, so its cut becomes a Matroska clip).
    // All but a.mp4 sound in stereo: the tool's own stream choice would take
    // a stereo video sound over a mono sound track, so a mono track at
    // 22050 Hz in an output shows that the track was mapped.
    void makeSources(ComposeBench &bench)
    {
        ASSERT_TRUE(
            makeClip(bench.source(QStringLiteral("d444.mkv")), 160, 120, 4, 2, QStringLiteral("yuv444p")));
        ASSERT_TRUE(makeClip(bench.source(QStringLiteral("a.mp4")), 160, 120, 2.0, 1));
        ASSERT_TRUE(makeClip(bench.source(QStringLiteral("b.mp4")), 160, 120, 3.0, 2));
        ASSERT_TRUE(makeClip(bench.source(QStringLiteral("c.avi")), 160, 120, 2.5, 2));
        ASSERT_TRUE(makeClip(bench.source(QStringLiteral("e.divx")), 160, 120, 3.0, 2));
        for (const QString &name :
             {QStringLiteral("d444.mkv"), QStringLiteral("a.mp4"), QStringLiteral("b.mp4"),
              QStringLiteral("c.avi"), QStringLiteral("e.divx")}) {
            const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.source(name));
            ASSERT_TRUE(facts.hasVideo && facts.hasAudio) << name.toStdString();
            bench.addVideo(name, facts.width, facts.height, QString::number(facts.durationSeconds, 'f', 3));
        }
    }

    // A mono sound file at 22050 Hz, which no video has, so the output shows whose sound it got.
    QString makeTrack(ComposeBench &bench, const QString &name, double seconds)
    {
        const QString path = bench.source(name);
        EXPECT_TRUE(MediaFactory::runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("sine=frequency=660:sample_rate=22050:duration=%1").arg(seconds), path}));
        return path;
    }

    static double durationOf(const ComposeBench &bench, const QString &name)
    {
        for (int entry = 1; entry <= bench.videos.entryCount(); ++entry)
            if (bench.videos.cell(entry, SourceTable::Name) == name)
                return bench.videos.cell(entry, SourceTable::Duration).toDouble();
        return -1;
    }

    // The sources an output's cuts used, by file name.
    static QStringList cutSources(const QList<QStringList> &cuts)
    {
        QStringList names;
        for (const QStringList &cut : cuts)
            names.append(QFileInfo(cut.value(cut.indexOf(QStringLiteral("-i")) + 1)).fileName());
        return names;
    }
};

TEST_F(VideoVideoEndToEndTest, ABatchOfFourSourceOutputs)
{
    ComposeBench bench(Execution::RunForReal);
    makeSources(bench);
    const QString track = makeTrack(bench, QStringLiteral("track.wav"), 5);
    bench.addAudio(QStringLiteral("track.wav"), QStringLiteral("5"));
    bench.settings.maxText = QStringLiteral("3");
    bench.setDraws({0.37, 0.81, 0.12, 0.66, 0.5, 0.93, 0.25, 0.71, 0.05});

    struct Plan {
        LengthRule lengthRule;
        QString lengthText;
        AudioRule audioRule;
        bool preciseCut;
        QString outputType;
    };
    const QList<Plan> plans{
        {LengthRule::Fixed, QStringLiteral("1.5"), AudioRule::FirstVideo, false,
         QStringLiteral("mp4")},  // fixed length, a video's own sound
        {LengthRule::ShortestVideo, QString(), AudioRule::LongestVideo, true,
         QStringLiteral("mp4")},  // shortest, longest video's sound
        {LengthRule::Fixed, QStringLiteral("1.8"), AudioRule::RandomAudio, false,
         QStringLiteral("avi")},  // random audio row, cut at random
    };
    for (int n = 1; n <= plans.size(); ++n) {
        SCOPED_TRACE(n);
        const Plan &plan = plans[n - 1];
        bench.settings.lengthRule = plan.lengthRule;
        bench.settings.lengthText = plan.lengthText;
        bench.settings.audioRule = plan.audioRule;
        bench.settings.preciseCut = plan.preciseCut;
        bench.settings.audioRandomStart = true;
        bench.settings.outputType = plan.outputType;
        const qsizetype before = bench.runner.arguments.size();
        EXPECT_EQ(bench.compose(n), OutputResult::Done);
        EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.failedRuns.join('\n').toStdString()
                                                       << bench.runner.toolOutput.join('\n').toStdString();

        // The length the rule asks for, from the drawn sources' list durations.
        const QStringList cuts = bench.runner.arguments.mid(before, 4);
        const QStringList drawn = cutSources(bench.runner.argumentLists.mid(before, 4));
        ASSERT_EQ(drawn.size(), 4);
        EXPECT_EQ(QSet<QString>(drawn.begin(), drawn.end()).size(), 4) << drawn.join(' ').toStdString();
        QList<double> durations;
        for (const QString &name : drawn)
            durations.append(durationOf(bench, name));
        const double length = plan.lengthRule == LengthRule::ShortestVideo
                                  ? *std::min_element(durations.begin(), durations.end())
                                  : plan.lengthText.toDouble();
        for (const QString &cut : cuts)
            EXPECT_DOUBLE_EQ(lengthIn(cut), length) << cut.toStdString();

        const QString out = bench.output(n);
        ASSERT_TRUE(QFileInfo(out).isFile()) << out.toStdString();
        EXPECT_GT(QFileInfo(out).size(), 0);
        const MediaFactory::StreamFacts facts = MediaFactory::probe(out);
        // Four equal sources make a canvas twice their size.
        EXPECT_EQ(facts.width, 320);
        EXPECT_EQ(facts.height, 240);
        EXPECT_TRUE(facts.hasVideo);
        EXPECT_TRUE(facts.hasAudio);
        const StreamDetails details = probeDetails(out);
        const std::string runs = bench.runner.arguments.mid(before).join('\n').toStdString();
        const double videoSlack =
            plan.outputType == QLatin1String("avi") ? AviVideoSlackSeconds : FrameSeconds + 0.001;
        EXPECT_NEAR(details.videoSeconds, length, videoSlack) << runs;
        EXPECT_NEAR(details.soundSeconds, length, SoundSlackSeconds) << runs;
        EXPECT_NEAR(facts.durationSeconds, length, std::max(videoSlack, SoundSlackSeconds)) << runs;
        if (plan.outputType == QLatin1String("mp4")) {
            EXPECT_EQ(facts.pixelFormat, QStringLiteral("yuv420p"));
        }
        if (plan.audioRule == AudioRule::RandomAudio) {
            // The random row's sound, not a video's.
            EXPECT_EQ(bench.settings.fixedAudioText, track);
            EXPECT_EQ(details.sampleRate, 22050);
            EXPECT_EQ(details.channels, 1);
        }
        EXPECT_TRUE(bench.context.statuses.last().startsWith(QStringLiteral("状态：视频生成Ok！")))
            << bench.context.statuses.last().toStdString();
        EXPECT_TRUE(bench.context.statuses.last().contains(QStringLiteral("mb；%1/3；耗时：").arg(n)))
            << bench.context.statuses.last().toStdString();
    }
}

TEST_F(VideoVideoEndToEndTest, SameVideoOutputs)
{
    ComposeBench bench(Execution::RunForReal);
    makeSources(bench);
    bench.settings.reuse = true;
    bench.settings.maxText = QStringLiteral("3");

    // Output 1: the H.264 4:4:4 clip with its own sound.
    EXPECT_EQ(bench.compose(1), OutputResult::Done);
    MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(1));
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 240);
    EXPECT_TRUE(facts.hasAudio);
    EXPECT_EQ(facts.pixelFormat, QStringLiteral("yuv420p"));
    EXPECT_NEAR(probeDetails(bench.output(1)).videoSeconds, durationOf(bench, QStringLiteral("d444.mkv")),
                FrameSeconds + 0.001);

    // Output 2: a short audio filled up with the rest of the video's sound.
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.addAudio = true;
    bench.settings.fixedAudioText = makeTrack(bench, QStringLiteral("short.wav"), 1.2);
    bench.settings.fixedAudioLengthText = QStringLiteral("1.2秒");
    EXPECT_EQ(bench.compose(2), OutputResult::Done);
    const double v2 = durationOf(bench, QStringLiteral("a.mp4"));
    facts = MediaFactory::probe(bench.output(2));
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 240);
    EXPECT_TRUE(facts.hasAudio);
    EXPECT_NEAR(facts.durationSeconds, v2, 0.1);
    EXPECT_NEAR(MediaFactory::probe(bench.work(QStringLiteral("M.mp3"))).durationSeconds, v2, 0.1);
    // The joined track (stereo), not the mono sound of a.mp4.
    EXPECT_EQ(probeDetails(bench.output(2)).channels, 2);

    // Output 3: a long audio cut to the video at a random start.
    bench.settings.addAudio = false;
    bench.settings.audioRandomStart = true;
    bench.settings.fixedAudioText = makeTrack(bench, QStringLiteral("long.wav"), 6);
    bench.settings.fixedAudioLengthText = QStringLiteral("6秒");
    bench.setDraws({0.4});
    EXPECT_EQ(bench.compose(3), OutputResult::Done);
    facts = MediaFactory::probe(bench.output(3));
    EXPECT_EQ(facts.width, 320);
    EXPECT_TRUE(facts.hasAudio);
    const double v3 = durationOf(bench, QStringLiteral("b.mp4"));
    const StreamDetails details = probeDetails(bench.output(3));
    EXPECT_NEAR(details.videoSeconds, v3, FrameSeconds + 0.001);
    EXPECT_NEAR(details.soundSeconds, v3, SoundSlackSeconds);
    EXPECT_NEAR(facts.durationSeconds, v3, SoundSlackSeconds);
    EXPECT_EQ(details.sampleRate, 22050);  // the chosen audio's sound, not the stereo video sound
    EXPECT_EQ(details.channels, 1);

    EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.failedRuns.join('\n').toStdString()
                                                   << bench.runner.toolOutput.join('\n').toStdString();
}

TEST_F(VideoVideoEndToEndTest, AnOddCanvasStillMakesAnH264Output)
{
    ComposeBench bench(Execution::RunForReal);
    for (const QString &name : {QStringLiteral("a.avi"), QStringLiteral("b.avi"), QStringLiteral("c.avi")}) {
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), 160, 120, 2.0));
        bench.addVideo(name, 160, 120, durationCell(bench.source(name)));
    }
    const QString odd = bench.source(QStringLiteral("odd.avi"));
    ASSERT_TRUE(MediaFactory::makeVideo(odd, 161, 121, 2.0));
    ASSERT_EQ(MediaFactory::probe(odd).width, 161);
    bench.addVideo(QStringLiteral("odd.avi"), 161, 121, durationCell(odd));
    bench.settings.lengthRule = LengthRule::ShortestVideo;
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Done);
    EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.toolOutput.join('\n').toStdString();
    const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(1));
    EXPECT_EQ(facts.width, 322);  // 160 + 161, one black column added
    EXPECT_EQ(facts.height, 242);
    EXPECT_EQ(facts.pixelFormat, QStringLiteral("yuv420p"));
}

TEST_F(VideoVideoEndToEndTest, OddSizedSourcesCutPreciselyIntoH264Clips)
{
    // MPEG-4 part 2 keeps odd sizes (old cameras and phones); a precise cut
    // re-encodes into H.264, which takes only even ones.
    ComposeBench bench(Execution::RunForReal);
    const std::pair<QString, QSize> sources[] = {{QStringLiteral("odd 一.mp4"), {321, 241}},
                                                 {QStringLiteral("odd 二.mkv"), {161, 120}},
                                                 {QStringLiteral("odd height.mov"), {160, 121}},
                                                 {QStringLiteral("plain.avi"), {160, 120}}};
    for (const auto &[name, size] : sources) {
        const QString path = bench.source(name);
        ASSERT_TRUE(MediaFactory::runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("testsrc=size=%1x%2:rate=25:duration=3").arg(size.width()).arg(size.height()),
             "-f", "lavfi", "-i", "sine=duration=3", "-c:v", "mpeg4", "-c:a", "aac", path}));
        ASSERT_EQ(MediaFactory::probe(path).width, size.width());
        bench.addVideo(name, size.width(), size.height(), durationCell(path));
    }
    bench.settings.preciseCut = true;
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.audioRule = AudioRule::LongestVideo;
    bench.setDraws({0, 0, 0, 0, 0.5, 0.5, 0.5, 0.5});
    ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.runner.toolOutput.join('\n').toStdString();
    EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.failedRuns.join('\n').toStdString();

    // Each H.264 clip is its source padded by one black column or line where
    // a side is odd; the AVI clip keeps its size.
    QSet<QString> expectedSizes{QStringLiteral("322x242 .mp4"), QStringLiteral("162x120 .mkv"),
                                QStringLiteral("160x122 .mov"), QStringLiteral("160x120 .avi")};
    QSet<QString> clipSizes;
    for (const QString &clip : QDir(bench.workspace).entryList({"?.mp4", "?.mkv", "?.mov", "?.avi"})) {
        const MediaFactory::StreamFacts clipFacts = MediaFactory::probe(bench.work(clip));
        EXPECT_NEAR(clipFacts.durationSeconds, 2.0, 0.1) << clip.toStdString();
        clipSizes.insert(QStringLiteral("%1x%2 ").arg(clipFacts.width).arg(clipFacts.height)
                         + MediaExtensions::extensionOf(clip));
    }
    EXPECT_EQ(clipSizes, expectedSizes);
    const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(1));
    EXPECT_TRUE(facts.hasVideo && facts.hasAudio);
    EXPECT_EQ(facts.width % 2, 0);
    EXPECT_EQ(facts.height % 2, 0);
    EXPECT_NEAR(facts.durationSeconds, 2.0, 0.15);
}

TEST_F(VideoVideoEndToEndTest, WithoutAToolTheOutputFails)
{
    // The sources exist; the tool that would read them does not run.
    ComposeBench bench(Execution::RecordOnly);
    for (const QString &name :
         {QStringLiteral("a.mp4"), QStringLiteral("b.mp4"), QStringLiteral("c.avi"), QStringLiteral("d.mkv")})
        bench.addVideo(name, 160, 120, QStringLiteral("3"));
    bench.settings.audioRule = AudioRule::LongestVideo;
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(bench.output(1)));
    ASSERT_FALSE(bench.context.statuses.isEmpty());
    // The output's file is taken (empty) before the tool starts, so its size shows.
    EXPECT_TRUE(bench.context.statuses.last().startsWith(QStringLiteral("状态：视频生成失败！0mb；1/10；")))
        << bench.context.statuses.last().toStdString();
    for (const QString &status : bench.context.statuses)
        EXPECT_FALSE(status.contains(QStringLiteral("Ok"))) << status.toStdString();

    bench.settings.reuse = true;
    EXPECT_EQ(bench.compose(2), OutputResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(bench.output(2)));
    for (const QString &status : bench.context.statuses)
        EXPECT_FALSE(status.contains(QStringLiteral("Ok"))) << status.toStdString();
}

}  // namespace

namespace {

// Silent sources have no sound to extract or to fill up with: the outputs
// are still made, silent or with the chosen audio as it is.
TEST_F(VideoVideoEndToEndTest, SilentSourcesStillMakeOutputs)
{
    ComposeBench bench(Execution::RunForReal);
    for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4"), QStringLiteral("c.mp4"),
                                QStringLiteral("d.mp4")}) {
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), 160, 120, 2.0, MediaFactory::Sound::Without));
        bench.addVideo(name, 160, 120, durationCell(bench.source(name)));
    }
    bench.settings.audioRule = AudioRule::LongestVideo;  // the sound of the longest video
    bench.settings.lengthText = QStringLiteral("2");
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Done);
    MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(1));
    EXPECT_TRUE(facts.hasVideo);
    EXPECT_FALSE(facts.hasAudio);

    // Same video, a one-second audio to be filled up with the video's sound.
    const QString audio = bench.source(QStringLiteral("short.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(audio, 1.0));
    bench.settings.reuse = true;
    bench.settings.addAudio = true;
    bench.settings.audioRule = AudioRule::FixedAudio;
    bench.settings.fixedAudioText = audio;
    bench.settings.fixedAudioLengthText = QStringLiteral("1秒");
    EXPECT_EQ(bench.compose(2), OutputResult::Done);
    facts = MediaFactory::probe(bench.output(2));
    EXPECT_EQ(facts.width, 320);
    EXPECT_TRUE(facts.hasAudio);
}

}  // namespace

namespace {

// The tool's FLV reader loses the picture when asked to seek to 0, so a cut
// from the start of an FLV file reads it without a seek.
TEST_F(VideoVideoEndToEndTest, FlvSourcesCutFromTheStartKeepTheirPicture)
{
    ComposeBench bench(Execution::RunForReal);
    for (const QString &name : {QStringLiteral("a.flv"), QStringLiteral("b.flv"), QStringLiteral("c.flv"),
                                QStringLiteral("d.flv")}) {
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), 160, 120, 2.0));
        bench.addVideo(name, 160, 120, durationCell(bench.source(name)));
    }
    bench.settings.lengthRule = LengthRule::LongestVideo;  // the longest: every clip starts at 0
    bench.setDraws({0});
    EXPECT_EQ(bench.compose(1), OutputResult::Done);
    EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.toolOutput.join('\n').toStdString();
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(bench.runner.arguments[k].startsWith(QStringLiteral("-t ")))
            << bench.runner.arguments[k].toStdString();
    const StreamDetails details = probeDetails(bench.output(1));
    EXPECT_NEAR(details.videoSeconds, 2.0, 3 * FrameSeconds);
    EXPECT_EQ(MediaFactory::probe(bench.output(1)).width, 320);
}

}  // namespace

TEST(VideoVideoSeek, OnlyAnFlvStartOfZeroLeavesTheSeekOut)
{
    EXPECT_EQ(MediaExtensions::inputSeek("0", "/m/a.flv"), QStringList());
    EXPECT_EQ(MediaExtensions::inputSeek("0", "/m/a.F4V"), QStringList());
    EXPECT_EQ(MediaExtensions::inputSeek("0.125", "/m/a.flv"), (QStringList{"-ss", "0.125"}));
    EXPECT_EQ(MediaExtensions::inputSeek("0", "/m/a.mp4"), (QStringList{"-ss", "0"}));
}

namespace {

// A tool that fails half-way leaves a file that is no video: the output is
// reported failed and the broken file is not left behind.
TEST_F(VideoVideoEndToEndTest, AHalfWrittenOutputIsAFailureAndIsRemoved)
{
    ComposeBench bench(Execution::RecordOnly);
    for (const QString &name :
         {QStringLiteral("a.mp4"), QStringLiteral("b.mp4"), QStringLiteral("c.mp4"), QStringLiteral("d.mp4")})
        bench.addVideo(name, 160, 120, QStringLiteral("3"));
    MediaInfoProber prober;
    bench.environment.outputProber = &prober;
    const QString writing = bench.writing(1);
    bench.runner.onStart = [writing](const QStringList &arguments) {
        if (arguments.last() == writing) {
            QFile file(writing);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(4096, 'z'));
        }
    };
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(bench.output(1)));
    EXPECT_FALSE(QFileInfo::exists(writing));
    EXPECT_TRUE(bench.context.statuses.last().startsWith(QStringLiteral("状态：视频生成失败！")));
}

}  // namespace
