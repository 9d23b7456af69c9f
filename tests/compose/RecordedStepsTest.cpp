// The exact argument lists of one output of the precise four-split and the
// slide-show composers, with a runner that records instead of running: a
// played tool writes the frames and files each step is waited on.
#include "ArgumentLists.h"
#include "ComposeBench.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// Plays the tool: a frame series gets `frames` small pictures, a single
// picture one, any other workspace file a byte.
void playTool(ComposeBench &bench, int frames)
{
    bench.runner.onStart = [&bench, frames](const QStringList &arguments) {
        const QString target = arguments.constLast();
        if (!target.startsWith(bench.workspace))
            return;
        QImage picture(32, 24, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        if (target.endsWith(QStringLiteral("%06d.jpg"))) {
            const QString folder = QFileInfo(target).path();
            QDir().mkpath(folder);
            for (int n = 1; n <= frames; ++n)
                picture.save(folder + QStringLiteral("/%1.jpg").arg(n, 6, 10, QLatin1Char('0')), "JPG");
        } else if (target.endsWith(QStringLiteral(".jpg"))) {
            picture.save(target, "JPG");
        } else {
            QFile file(target);
            if (file.open(QIODevice::WriteOnly))
                file.write("x");
        }
    };
}

}  // namespace

TEST(RecordedSteps, PreciseFourSplit)
{
    ComposeBench bench;
    playTool(bench, 3);
    const QString a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
    const QString b = bench.addVideo(QStringLiteral("b 2.mp4"), 160, 120, QStringLiteral("4"));
    const QString c = bench.addVideo(QStringLiteral("c.mp4"), 160, 120, QStringLiteral("2"));
    const QString d = bench.addVideo(QStringLiteral("d.mp4"), 160, 120, QStringLiteral("5"));
    bench.settings.preciseQuad = true;
    bench.settings.lengthRule = LengthRule::Fixed;
    bench.settings.lengthText = QStringLiteral("0.2");
    bench.settings.audioRule = AudioRule::FirstVideo;
    bench.setDraws({0, 0, 0, 0, 0.5, 0.25, 0.1, 0.3});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);  // nothing writes the output

    const QString t = bench.work(QStringLiteral("Tmp"));
    QList<QStringList> expected;
    const QStringList order{d, b, c, a};
    for (int k = 1; k <= 4; ++k) {
        const QString source = order[k - 1];
        expected << QStringList{"-i",
                                source,
                                "-f",
                                "image2",
                                "-y",
                                "-q:v",
                                "0",
                                "-vf",
                                "fps=25:start_time=0",
                                t + QStringLiteral("/Images%1/%06d.jpg").arg(k)}
                 << QStringList{
                        "-i",  source,  "-y",   "-q:a", "0",   "-f", "wav",
                        "-ar", "44100", "-b:a", "192k", "-ac", "2",  t + QStringLiteral("/%1.wav").arg(k)};
    }
    // d, 5 s long, gives the sound from (5 - 0.2) x 0.5.
    expected << QStringList{"-ss", "2.4",  "-t", "0.2",     "-i",   t + "/1.wav",
                            "-y",  "-q:a", "0",  "-acodec", "copy", bench.work("Audio.wav")}
             << QStringList{"-i",      bench.work("Audio.wav"),
                            "-f",      "image2",
                            "-i",      t + "/Images/%06d.jpg",
                            "-r",      "25",
                            "-y",      "-q:v",
                            "0",       "-q:a",
                            "0",       "-t",
                            "0.2",     "-pix_fmt",
                            "yuv420p", bench.writing(1)};
    EXPECT_ARGS(bench.runner.argumentLists, expected);
}

TEST(RecordedSteps, SlideShowWithSharedAndPerVideoFrames)
{
    for (const bool reuse : {false, true}) {
        SCOPED_TRACE(reuse);
        ComposeBench bench;
        playTool(bench, 1);
        const QString a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
        const QString b = bench.addVideo(QStringLiteral("b 2.mp4"), 160, 120, QStringLiteral("4"));
        bench.settings.slideShow = true;
        bench.settings.reuse = reuse;
        bench.settings.outputWidth = 320;
        bench.settings.outputHeight = 240;
        bench.settings.videoDrawText = QStringLiteral("2");
        bench.settings.pictureRangeText = QStringLiteral("2-2");
        bench.settings.slideSecondsText = QStringLiteral("2");
        bench.settings.audioRule = AudioRule::FirstVideo;
        bench.setDraws({0, 0.5, 0.25, 0.1, 0.3, 0.7, 0.9});
        EXPECT_EQ(bench.compose(1), OutputResult::Failed);

        // Shared: frames numbered through; per video: a folder each. The
        // shared slides of four frames last 2 x 2 / 4 s, one video after
        // another 2 x 2 s.
        const QString grabs = bench.work(QStringLiteral("Tmp/SrcImg/"));
        const auto grab = [&](const QString &offset, const QString &video, const QString &frame) {
            return QStringList{"-ss",  offset, "-i", video,    "-y",      "-frames:v", "1",
                               "-q:v", "0",    "-f", "image2", "-update", "1",         grabs + frame};
        };
        const QString audio = bench.work(QStringLiteral("Audio.mp3"));
        const QList<QStringList> expected{
            grab("0.74", a, reuse ? "1/000001.jpg" : "000001.jpg"),
            grab("0.296", a, reuse ? "1/000002.jpg" : "000002.jpg"),
            grab("1.188", b, reuse ? "2/000001.jpg" : "000003.jpg"),
            grab("2.772", b, reuse ? "2/000002.jpg" : "000004.jpg"),
            {"-ss", "0", "-t", reuse ? "4" : "1", "-i", a, "-y", "-q:a", "0", audio},
            {"-i", audio, "-f", "image2", "-i", bench.work("Tmp/Images/%06d.jpg"), "-r", "25", "-y", "-q:v",
             "0", "-q:a", "0", "-t", reuse ? "4" : "1", "-pix_fmt", "yuv420p", bench.writing(1)}};
        EXPECT_ARGS(bench.runner.argumentLists, expected);
    }
}

TEST(RecordedSteps, MixedWithTheSoundOfTheFirstVideo)
{
    ComposeBench bench;
    playTool(bench, 1);
    ASSERT_TRUE(bench.addPictureSet());
    bench.settings.composeMode = ComposeMode::Mixed;
    bench.settings.pictureRangeText = QStringLiteral("2-2");
    bench.settings.lengthText = QStringLiteral("2");
    const QString v = bench.addVideo(QStringLiteral("v 1.mp4"), 1920, 1080, QStringLiteral("60"));
    const QString w = bench.addVideo(QStringLiteral("w.mp4"), 640, 480, QStringLiteral("3"));
    bench.settings.outputWidth = 1280;
    bench.settings.outputHeight = 720;
    bench.settings.audioRule = AudioRule::FirstVideo;
    bench.setDraws({0.5, 0.05, 0.62, 0.07, 0.91, 0.33, 0.48, 0.75, 0.26});
    bench.compose(1);

    // Quadrants: w fitted into 640 x 360, two picture clips, v scaled.
    const auto pictureClip = [&](int k) {
        return QStringList{
            "-f",      "image2",   "-framerate", "20", "-i", bench.work("Images/%06d.jpg"),
            "-y",      "-q:v",     "0",          "-r", "20", "-vcodec",
            "libx264", "-pix_fmt", "yuv420p",    "-t", "2",  bench.work(QStringLiteral("%1.mp4").arg(k))};
    };
    const QList<QStringList> expected{
        {"-ss", "0.07", "-t", "2", "-i", w, "-y", "-q:a", "0", "-q:v", "0", "-s", "480:360", "-pix_fmt",
         "yuv420p", bench.work("1.mp4")},
        pictureClip(2),
        pictureClip(3),
        {"-ss", "4.06", "-t", "2", "-i", v, "-y", "-q:a", "0", "-q:v", "0", "-s", "640:360", "-pix_fmt",
         "yuv420p", bench.work("4.mp4")},
        {"-i", bench.work("1.mp4"), "-y", "-q:a", "0", "-ar", "44100", "-b:a", "192k", "-ac", "2",
         bench.work("Audio.mp3")},
        {"-i",
         bench.work("Audio.mp3"),
         "-i",
         bench.work("1.mp4"),
         "-i",
         bench.work("2.mp4"),
         "-i",
         bench.work("3.mp4"),
         "-i",
         bench.work("4.mp4"),
         "-filter_complex",
         "[1:v]pad=1280:720[a];[a][2:v]overlay=480[b];[b][3:v]overlay=0:360[c];[c][4:v]overlay=640:360",
         "-map",
         "0:a",
         "-y",
         "-q:v",
         "0",
         "-q:a",
         "0",
         "-t",
         "2",
         "-pix_fmt",
         "yuv420p",
         bench.writing(1)}};
    EXPECT_ARGS(bench.runner.argumentLists, expected);
}
