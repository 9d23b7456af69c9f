// Media a new user brings that the first tests did not: sources of other
// frame rates and with sparse key frames whose picture and sound must stay together,
// outputs that must keep their length in every container, silent videos,
// and a file whose header claims more than it holds. All made by the real
// tool; offsets are measured in the outputs.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "app/compose/OutputStatus.h"
#include "app/library/MediaInfoProber.h"
#include "tests/support/MediaFactory.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Execution = RecordingToolRunner::Execution;

QString ffprobe()
{
    return QFileInfo(MediaFactory::ffmpegPath()).absolutePath() + QStringLiteral("/ffprobe");
}

QByteArray output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput();
}

// A source that flashes white and beeps for 0.1 s at 0.5 s, 1.5 s, 2.5 s ...
// rate 0 makes a variable rate: 60 frames a second with every third frame
// left out (the flashes stay on kept frames).
bool makeFlashingSource(const QString &path, int rate, double seconds, const QStringList &codecs)
{
    const QString duration = QString::number(seconds);
    QString picture = QStringLiteral("color=black:s=160x120:r=%1:d=%2,"
                                     "drawbox=c=white:t=fill:enable='lt(mod(t-0.5\\,1)\\,0.1)'")
                          .arg(rate == 0 ? 60 : rate)
                          .arg(duration);
    QStringList timing;
    if (rate == 0) {
        picture += QStringLiteral(",select='not(eq(mod(n\\,3)\\,1))'");
        timing = {"-fps_mode", "passthrough"};
    }
    return MediaFactory::runFfmpeg(
        QStringList{"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i",
                    "aevalsrc='if(lt(mod(t-0.5\\,1)\\,0.1)\\,0.8*sin(2*PI*1000*t)\\,0)'"
                    ":s=48000:d="
                        + duration}
        + timing + codecs + QStringList{"-t", duration, path});
}

// The onsets of the flashes (mean brightness of the region above half) and
// of the beeps, in the file's own time.
struct Marks {
    QVector<double> flashes;
    QVector<double> beeps;
};

Marks marksOf(const QString &path, QRect region)
{
    Marks marks;
    const QString crop = QStringLiteral("crop=%1:%2:%3:%4")
                             .arg(region.width())
                             .arg(region.height())
                             .arg(region.x())
                             .arg(region.y());
    const QStringList frames =
        QString::fromUtf8(
            output(ffprobe(),
                   {"-v", "error", "-f", "lavfi", "-i", "movie=" + path + "," + crop + ",signalstats",
                    "-show_entries", "frame=pts_time:frame_tags=lavfi.signalstats.YAVG", "-of", "csv=p=0"}))
            .split('\n', Qt::SkipEmptyParts);
    bool bright = false;
    for (const QString &line : frames) {
        const QStringList fields = line.split(',');
        if (fields.size() < 2)
            continue;
        const bool now = fields.at(1).toDouble() > 128;
        if (now && !bright)
            marks.flashes.append(fields.at(0).toDouble());
        bright = now;
    }
    const double soundStart = output(ffprobe(), {"-v", "error", "-select_streams", "a", "-show_entries",
                                                 "stream=start_time", "-of", "csv=p=0", path})
                                  .trimmed()
                                  .toDouble();
    const QByteArray samples =
        output(MediaFactory::ffmpegPath(),
               {"-v", "error", "-i", path, "-map", "0:a", "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
    const auto *values = reinterpret_cast<const qint16 *>(samples.constData());
    const qsizetype count = samples.size() / 2;
    qsizetype last = -10000;
    for (qsizetype i = 0; i < count; ++i) {
        if (std::abs(values[i]) < 8000)
            continue;
        if (i - last > 800)
            marks.beeps.append(soundStart + i / 8000.0);
        last = i;
    }
    return marks;
}

// The mean of (beep - flash) over the flashes that have a beep within half a
// second; NaN when there is none.
double soundAfterPicture(const Marks &marks)
{
    double sum = 0;
    int pairs = 0;
    for (const double flash : marks.flashes) {
        for (const double beep : marks.beeps) {
            if (std::abs(beep - flash) < 0.5) {
                sum += beep - flash;
                ++pairs;
                break;
            }
        }
    }
    return pairs == 0 ? std::nan("") : sum / pairs;
}

// How long the picture of a file lasts: from its first frame to the end of
// its last (a container's own length also counts its sound's last frame and
// the ASF writer's head start).
double pictureSeconds(const QString &path)
{
    const QStringList packets =
        QString::fromUtf8(output(ffprobe(), {"-v", "error", "-select_streams", "v", "-show_entries",
                                             "packet=pts_time,duration_time", "-of", "csv=p=0", path}))
            .split('\n', Qt::SkipEmptyParts);
    double first = 1e9;
    double end = -1;
    for (const QString &line : packets) {
        const QStringList fields = line.split(',');
        if (fields.size() < 2)
            continue;
        first = std::min(first, fields.at(0).toDouble());
        end = std::max(end, fields.at(0).toDouble() + fields.at(1).toDouble());
    }
    return end - first;
}

// Four sources of one kind listed for a Video+Video output of 2 s; the
// longest-video sound comes from the source in the top left quarter (the
// fixed length swaps the first and the last drawn).
void addFlashingSources(ComposeBench &bench, int rate, const QString &extension, const QStringList &codecs)
{
    for (const char *name : {"a", "b", "c", "d"}) {
        const QString file = QString::fromUtf8(name) + extension;
        ASSERT_TRUE(makeFlashingSource(bench.source(file), rate, 5, codecs)) << file.toStdString();
        bench.addVideo(file, 160, 120, QStringLiteral("5"));
    }
    bench.settings.lengthRule = LengthRule::Fixed;
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.audioRule = AudioRule::LongestVideo;
    // The draws of the four sources, then the starts: 0.74 s into the
    // sound source (between two frames of 25 per second).
    bench.setDraws({0, 0, 0, 0, 0.37, 0.1, 0.6, 0.9});
}

TEST(UnseenMediaSync, PictureAndItsOwnSoundStayTogether)
{
    const QStringList mkv{"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"};
    // Key frames 2 s apart: a quick cut starts up to 2 s before its start.
    const QStringList sparseKeys{"-c:v", "libx264", "-preset", "ultrafast", "-g", "50", "-c:a", "pcm_s16le"};
    struct Case {
        const char *what;
        bool precise;
        bool preciseCut;
        int rate;
        QString extension;
        QStringList codecs;
        double allowedSeconds;
    };
    const double halfFrame = 0.5 / 25 + 0.001;
    const double oneFrame = 1.0 / 25 + 0.001;
    const QList<Case> cases{
        {"precise, 25 fps", true, false, 25, ".mkv", mkv, halfFrame},
        {"precise, 30 fps", true, false, 30, ".mkv", mkv, halfFrame},
        {"precise, 60 fps", true, false, 60, ".mkv", mkv, halfFrame},
        {"precise, variable rate", true, false, 0, ".mkv", mkv, halfFrame},
        {"four sources, re-encoded cuts", false, true, 25, ".mkv", sparseKeys, oneFrame},
        {"four sources, stream copies from key frames", false, false, 25, ".mkv", sparseKeys, oneFrame},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ComposeBench bench(Execution::RunForReal);
        MediaInfoProber prober;
        bench.environment.outputProber = &prober;
        bench.settings.preciseQuad = c.precise;
        bench.settings.preciseCut = c.preciseCut;
        addFlashingSources(bench, c.rate, c.extension, c.codecs);
        ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.context.statuses.join('\n').toStdString();
        const Marks source = marksOf(bench.source(QStringLiteral("d") + c.extension), {0, 0, 160, 120});
        const Marks made = marksOf(bench.output(1), {0, 0, 160, 120});
        ASSERT_GE(made.flashes.size(), 1);
        const double offset = soundAfterPicture(made) - soundAfterPicture(source);
        EXPECT_LE(std::abs(offset), c.allowedSeconds) << "sound after picture: " << offset << " s";
    }
}

TEST(UnseenMediaLengths, EveryContainerKeepsTheLengthAsked)
{
    const double oneFrame = 1.0 / 25 + 0.001;
    for (const QString type : {"mp4", "avi", "flv", "wmv"}) {
        SCOPED_TRACE(type.toStdString());
        // A quick cut (stream copies from the key frame at the start) of a
        // 4 s request from 10 s sources.
        ComposeBench bench(Execution::RunForReal);
        bench.settings.outputType = type;
        for (const char *name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}) {
            ASSERT_TRUE(MediaFactory::makeVideo(bench.source(QString::fromUtf8(name)), 160, 120, 10));
            bench.addVideo(QString::fromUtf8(name), 160, 120, QStringLiteral("10"));
        }
        bench.settings.lengthRule = LengthRule::Fixed;
        bench.settings.lengthText = QStringLiteral("4");
        bench.settings.audioRule = AudioRule::FirstVideo;
        bench.setDraws({0, 0, 0, 0, 0.31, 0.52, 0.13, 0.77});
        ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.context.statuses.join('\n').toStdString();
        EXPECT_NEAR(pictureSeconds(bench.output(1)), 4.0, oneFrame);
        EXPECT_TRUE(MediaFactory::probe(bench.output(1)).hasAudio);

        ComposeBench pictures(Execution::RunForReal);
        pictures.settings.outputType = type;
        ASSERT_TRUE(pictures.addPictureSet());
        pictures.settings.composeMode = ComposeMode::PicturePicture;
        pictures.settings.lengthText = QStringLiteral("3");
        pictures.settings.pictureRangeText = QStringLiteral("2-2");
        pictures.settings.audioRule = AudioRule::ChosenAudio;
        pictures.settings.fixedAudioText = pictures.source(QStringLiteral("配乐.mp3"));
        ASSERT_TRUE(MediaFactory::makeAudio(pictures.settings.fixedAudioText, 5));
        pictures.settings.fixedAudioLengthText = QStringLiteral("5秒");
        pictures.settings.outputWidth = 320;
        pictures.settings.outputHeight = 240;
        ASSERT_EQ(pictures.compose(1), OutputResult::Done)
            << pictures.context.statuses.join('\n').toStdString();
        // Clips of 20 frames a second.
        EXPECT_NEAR(pictureSeconds(pictures.output(1)), 3.0, 1.0 / 20 + 0.001) << "pictures";
    }
}

TEST(UnseenMediaFaults, SilentVideosLyingHeadersAndStatusSizes)
{
    {
        SCOPED_TRACE("mixed: the first video is silent, another has sound");
        ComposeBench bench(Execution::RunForReal);
        MediaInfoProber prober;
        bench.environment.outputProber = &prober;
        ASSERT_TRUE(bench.addPictureSet());
        ASSERT_TRUE(
            MediaFactory::makeVideo(bench.source("silent.mp4"), 320, 180, 3, MediaFactory::Sound::Without));
        ASSERT_TRUE(MediaFactory::makeVideo(bench.source("loud.mp4"), 320, 180, 3));
        bench.addVideo("silent.mp4", 320, 180, "3");
        bench.addVideo("loud.mp4", 320, 180, "3");
        bench.settings.composeMode = ComposeMode::Mixed;
        bench.settings.lengthText = QStringLiteral("2");
        bench.settings.pictureRangeText = QStringLiteral("1-1");
        bench.settings.audioRule = AudioRule::FirstVideo;
        bench.settings.outputWidth = 320;
        bench.settings.outputHeight = 180;
        // Quadrant 1 a video (the silent one, drawn first), 2 pictures, 3 a video, 4 pictures.
        bench.setDraws({0.0, 0.0, 0.0, 0.99, 0.0, 0.2, 0.1, 0.3});
        ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.context.statuses.join('\n').toStdString();
        const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(1));
        EXPECT_TRUE(facts.hasVideo);
        EXPECT_FALSE(facts.hasAudio);
        // Every wait text carries a size, "0mb" before its file exists.
        EXPECT_TRUE(
            bench.context.statuses.filter(QRegularExpression("(生成中\\.\\.\\.|视频预处理中\\.\\.)；"))
                .isEmpty())
            << bench.context.statuses.join('\n').toStdString();
        OutputStatus before(bench.context, bench.output(2), 2, QStringLiteral("2"),
                            QDateTime::currentDateTime(), QDateTime::currentDateTime());
        EXPECT_TRUE(before.generating().startsWith(QStringLiteral("状态：视频生成中...0mb；2/2；")));
    }
    {
        SCOPED_TRACE("four sources: a 3 s file whose header claims 10 hours");
        ComposeBench bench(Execution::RunForReal);
        MediaInfoProber prober;
        bench.environment.outputProber = &prober;
        for (const char *name : {"a.mkv", "b.mkv", "c.mkv"}) {
            ASSERT_TRUE(MediaFactory::makeVideo(bench.source(name), 160, 120, 4));
            bench.addVideo(name, 160, 120, "4");
        }
        const QString liar = bench.source("lies.mkv");
        ASSERT_TRUE(MediaFactory::makeVideo(liar, 160, 120, 3));
        QFile file(liar);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        // The segment's duration (an 8-byte float of milliseconds) and the
        // streams' duration tags.
        const qsizetype at = bytes.indexOf(QByteArray("\x44\x89\x88", 3));
        ASSERT_GE(at, 0);
        const double claimed = 36e6;
        quint64 raw;
        std::memcpy(&raw, &claimed, 8);
        for (int i = 0; i < 8; ++i)
            bytes[at + 3 + i] = char(raw >> (56 - 8 * i));
        bytes.replace("00:00:03.0", "10:00:00.0");
        file.seek(0);
        file.write(bytes);
        file.close();
        ASSERT_EQ(prober.probeDuration(liar).value_or(0), 36000.0);
        bench.addVideo("lies.mkv", 160, 120, "36000");
        bench.settings.lengthRule = LengthRule::Fixed;
        bench.settings.lengthText = QStringLiteral("2");
        bench.settings.preciseCut = true;
        bench.settings.audioRule = AudioRule::FirstVideo;
        bench.setDraws({0, 0, 0, 0, 0.5});
        EXPECT_EQ(bench.compose(1), OutputResult::Failed);
        EXPECT_TRUE(bench.context.statuses.constLast().startsWith(QStringLiteral("状态：视频生成失败！")));
        EXPECT_FALSE(QFileInfo::exists(bench.output(1)));
    }
}

}  // namespace
