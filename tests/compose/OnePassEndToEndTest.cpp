// The one-pass four-source composition made by the real tool, against the
// cut-then-compose way: same canvas, same length, the same picture.
#include "ComposeBench.h"
#include "app/compose/FourUpLayout.h"
#include "tests/support/MediaFactory.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using Execution = RecordingToolRunner::Execution;
// A length within a frame of the one asked for.
const double FrameSeconds = 1.0 / 25 + 0.001;

struct OutputFacts {
    int width = 0;
    int height = 0;
    double videoSeconds = -1;
    int sampleRate = 0;  // of the sound; 0: no sound stream
};

OutputFacts facts(const QString &path)
{
    QProcess probe;
    probe.start(QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + QStringLiteral("/ffprobe"),
                {"-v", "error", "-show_entries", "stream=codec_type,width,height,duration,sample_rate", "-of",
                 "csv=p=0:nk=0", path});
    OutputFacts f;
    if (!probe.waitForFinished(60000))
        return f;
    for (const QString &line : QString::fromUtf8(probe.readAllStandardOutput()).split('\n')) {
        QMap<QString, QString> fields;
        for (const QString &field : line.split(',')) {
            const qsizetype equals = field.indexOf('=');
            fields.insert(field.left(equals), field.mid(equals + 1));
        }
        if (fields.value("codec_type") == QLatin1String("video")) {
            f.width = fields.value("width").toInt();
            f.height = fields.value("height").toInt();
            f.videoSeconds = fields.value("duration").toDouble();
        } else if (fields.value("codec_type") == QLatin1String("audio")) {
            f.sampleRate = fields.value("sample_rate").toInt();
        }
    }
    return f;
}

// The PSNR of the frames of two videos at the given time, in dB.
double framePsnr(const QString &first, const QString &second, double atSeconds)
{
    const QString at = QString::number(atSeconds, 'f', 3);
    QProcess ffmpeg;
    ffmpeg.start(MediaFactory::ffmpegPath(), {"-nostats", "-ss", at, "-i", first, "-ss", at, "-i", second,
                                              "-lavfi", "[0:v][1:v]psnr", "-frames:v", "1", "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(60000))
        return -1;
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("average:([0-9.]+|inf)"))
                                              .match(QString::fromUtf8(ffmpeg.readAllStandardError()));
    if (!match.hasMatch())
        return -1;
    return match.captured(1) == QLatin1String("inf") ? 100 : match.captured(1).toDouble();
}

TEST(OnePassEndToEnd, MatchesThePreciseCutsInCanvasLengthAndPicture)
{
    ComposeBench bench(Execution::RunForReal);
    const QList<QSize> sizes{{160, 120}, {192, 144}, {128, 96}, {176, 128}};
    for (int i = 0; i < sizes.size(); ++i) {
        const QString name = QStringLiteral("s%1.mp4").arg(i);
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), sizes[i].width(), sizes[i].height(), 3.0 + 0.5 * i));
        bench.addVideo(name, sizes[i].width(), sizes[i].height(), QString::number(3.0 + 0.5 * i, 'f', 3));
    }
    bench.settings.lengthText = QStringLiteral("2");  // every source starts at random
    for (bool noSpace : {true, false}) {
        SCOPED_TRACE(noSpace);
        bench.settings.noSpace = noSpace;
        const QVector<double> draws{0.3, 0.6, 0.1, 0.8, 0.45, 0.7, 0.2, 0.9};
        bench.settings.preciseCut = true;  // cuts that start exactly at their offsets
        bench.settings.fourSourcePipeline = FourSourcePipeline::CutsThenComposition;
        bench.setDraws(draws);
        ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        bench.settings.preciseCut = false;
        bench.settings.fourSourcePipeline = FourSourcePipeline::OnePass;
        bench.setDraws(draws);
        const qsizetype runsBefore = bench.runner.arguments.size();
        ASSERT_EQ(bench.compose(2), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        EXPECT_EQ(bench.runner.arguments.size(), runsBefore + 1);

        const OutputFacts cuts = facts(bench.output(1));
        const OutputFacts onePass = facts(bench.output(2));
        EXPECT_GT(cuts.width, 0);
        EXPECT_EQ(onePass.width, cuts.width);
        EXPECT_EQ(onePass.height, cuts.height);
        EXPECT_NEAR(onePass.videoSeconds, 2.0, FrameSeconds);
        EXPECT_NEAR(onePass.videoSeconds, cuts.videoSeconds, FrameSeconds);
        EXPECT_GE(framePsnr(bench.output(1), bench.output(2), 1.0), 30.0);
    }
}

TEST(OnePassEndToEnd, EverySoundRuleWithOddSizesAndASilentSource)
{
    ComposeBench bench(Execution::RunForReal);
    // The silent video is the widest: first after ordering, so the
    // longest-video rule (every source is longer than 2 s) takes its silence.
    struct Source {
        QString name;
        QSize size;
        MediaFactory::Sound sound;
    };
    // Odd sizes in AVI: the test's own H.264 encoder would refuse them.
    const QList<Source> sources{{"odd.avi", {161, 121}, MediaFactory::Sound::With},
                                {"small.avi", {99, 75}, MediaFactory::Sound::With},
                                {"even.mp4", {160, 120}, MediaFactory::Sound::With},
                                {"silent.mp4", {200, 150}, MediaFactory::Sound::Without}};
    FourSources chosen;
    for (int i = 0; i < sources.size(); ++i) {
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source(sources[i].name), sources[i].size.width(),
                                            sources[i].size.height(), 3.0 + 0.25 * i, sources[i].sound));
        bench.addVideo(sources[i].name, sources[i].size.width(), sources[i].size.height(),
                       QString::number(3.0 + 0.25 * i, 'f', 3));
        chosen[i] = {sources[i].name, sources[i].size.width(), sources[i].size.height(), 3.0};
    }
    const QString track = bench.source(QStringLiteral("mono.wav"));
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=22050:duration=6", track}));
    bench.addAudio(QStringLiteral("mono.wav"), QStringLiteral("6"));
    bench.settings.fixedAudioText = track;
    bench.settings.fixedAudioLengthText = QStringLiteral("6秒");
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.noSpace = false;
    bench.settings.audioRandomStart = true;
    bench.settings.fourSourcePipeline = FourSourcePipeline::OnePass;
    FourUpLayout::orderByWidth(chosen, LengthRule::Fixed);
    const QSize canvas = FourUpLayout::canvasSize(chosen);
    ASSERT_EQ(canvas, QSize(321, 241));

    struct Case {
        AudioRule rule;
        int sampleRate;  // of the output's sound: the videos', the track's, none
    };
    const Case cases[] = {{AudioRule::FirstVideo, 44100}, {AudioRule::LongestVideo, 0},
                          {AudioRule::ChosenAudio, 22050}, {AudioRule::RandomAudio, 22050},
                          {AudioRule::FixedAudio, 22050}};
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.rule));
        bench.settings.audioRule = c.rule;
        bench.setDraws({0.0, 0.0, 0.0, 0.0, 0.5});
        ASSERT_EQ(bench.compose(++n), OutputResult::Done) << bench.runner.failedRuns.join('\n').toStdString();
        const OutputFacts out = facts(bench.output(n));
        // An odd canvas grows by a black line: H.264 takes even sizes only.
        EXPECT_EQ(out.width, 322);
        EXPECT_EQ(out.height, 242);
        EXPECT_NEAR(out.videoSeconds, 2.0, FrameSeconds);
        EXPECT_EQ(out.sampleRate, c.sampleRate) << bench.runner.arguments.last().toStdString();
    }
}

}  // namespace
