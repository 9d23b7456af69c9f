// Picture+Picture outputs: whole outputs made by the real tool, the tool's
// argument lists for each way of preparing the sound track, and the clip
// steps' own numbers.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "tests/support/MediaFactory.h"

#include "app/compose/PictureClip.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using Execution = RecordingToolRunner::Execution;

void setUpPicturePicture(ComposeBench &bench, const QString &pictureRange)
{
    ASSERT_TRUE(bench.addPictureSet());
    bench.settings.composeMode = ComposeMode::PicturePicture;
    bench.settings.audioRule = AudioRule::FixedAudio;
    bench.settings.pictureRangeText = pictureRange;
}

int clipEncodes(const RecordingToolRunner &runner)
{
    return int(runner.arguments.filter(QStringLiteral("-f image2 -framerate 20")).size());
}

}  // namespace

TEST(PicturePictureSteps, PicturesAndFramesPerClip)
{
    EXPECT_EQ(PictureClip::framesPerPicture(30, 7), 87);
    EXPECT_EQ(PictureClip::framesPerPicture(30, 4), 151);
    EXPECT_EQ(PictureClip::framesPerPicture(2.5, 4), 14);  // 13.5 rounds to even
    RunSettings settings;
    settings.pictureRangeText = QStringLiteral("4-8");
    settings.readNumbers();
    FixedRandom random({0.0, 0.999, 0.5});
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), 4);
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), 7);  // never the maximum itself
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), 6);
    settings.pictureRangeText = QStringLiteral("0-0");
    settings.readNumbers();
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), std::nullopt);
}

TEST(PicturePictureEndToEnd, OutputsHaveTheCanvasSizeTheLengthAndSound)
{
    ComposeBench bench(Execution::RunForReal);
    setUpPicturePicture(bench, QStringLiteral("4-5"));
    const QString shortAudio = bench.source(QStringLiteral("配乐 短.mp3"));
    const QString longAudio = bench.source(QStringLiteral("long.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(shortAudio, 1.0));
    ASSERT_TRUE(MediaFactory::makeAudio(longAudio, 6.0));
    bench.setDraws({0.3, 0.9, 0.1, 0.6, 0.45, 0.75});

    // Odd quadrants (321x181), a short audio repeated (under the window's
    // first rule, which means the chosen audio here); then one clip for all
    // four quadrants and a long audio cut.
    struct Case {
        AudioRule rule;
        QSize output;
        bool reuse;
        QString audio;
        QString audioLength;
        int clips;
    };
    const Case cases[] = {{AudioRule::FirstVideo, {642, 362}, false, shortAudio, QStringLiteral("1秒"), 4},
                          {AudioRule::FixedAudio, {640, 360}, true, longAudio, QStringLiteral("6秒"), 1}};
    int number = 0;
    for (const Case &c : cases) {
        ++number;
        bench.runner.arguments.clear();
        bench.settings.outputWidth = c.output.width();
        bench.settings.outputHeight = c.output.height();
        bench.settings.reuse = c.reuse;
        bench.settings.audioRule = c.rule;
        bench.settings.addAudio = true;
        bench.settings.lengthText = QStringLiteral("2.5");
        bench.settings.fixedAudioText = c.audio;
        bench.settings.fixedAudioLengthText = c.audioLength;
        ASSERT_EQ(bench.compose(number), OutputResult::Done) << bench.context.statuses.last().toStdString();
        EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.toolOutput.join("\n").toStdString();
        const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(number));
        EXPECT_EQ(QSize(facts.width, facts.height), c.output);
        EXPECT_NEAR(facts.durationSeconds, 2.5, 1.0 / 20);
        EXPECT_TRUE(facts.hasAudio);
        EXPECT_EQ(facts.pixelFormat, QStringLiteral("yuv420p"));
        EXPECT_EQ(clipEncodes(bench.runner), c.clips);
        // N = 4 pictures held for F = 14 frames each.
        EXPECT_EQ(QDir(bench.work(QStringLiteral("Images"))).entryList(QDir::Files).size(), 4 * 14);
    }
}

TEST(PicturePictureArguments, OneOutputForEachWayOfPreparingTheSound)
{
    struct Case {
        QString audioLength;
        bool addAudio;
        bool reuse;
        QStringList soundSteps;
        QString track;
    };
    ComposeBench bench;
    setUpPicturePicture(bench, QStringLiteral("4-4"));
    const QString audio = bench.addAudio(QStringLiteral("配乐 a.mp3"), QStringLiteral("5"));
    const QString w = bench.workspace;
    const QString encode = QStringLiteral("-f image2 -framerate 20 -i %1/Images/%06d.jpg -y -q:v 0 -r 20 "
                                          "-vcodec libx264 -pix_fmt yuv420p -t 3 %1/M.mp4")
                               .arg(w);
    const QString filter = QStringLiteral(" -filter_complex [1:v]pad=iw*2:ih*2[a];[a][2:v]overlay=w[b];"
                                          "[b][3:v]overlay=0:h[c];[c][4:v]overlay=w:h -y -q:v 0 -q:a 0 "
                                          "-pix_fmt yuv420p ");
    const Case cases[] = {
        {QStringLiteral("5秒"),
         false,
         false,
         {QStringLiteral("-ss 0 -t 3 -i %1 -y -q:a 0 -acodec copy %2/Audio.mp3").arg(audio, w)},
         w + QStringLiteral("/Audio.mp3")},
        {QStringLiteral("3秒"), true, true, {}, audio},
        {QStringLiteral("1.2秒"),
         true,
         true,
         {QStringLiteral("-f concat -safe 0 -i %1/List.txt -y -q:a 0 -c copy %1/M.mp3").arg(w),
          QStringLiteral("-ss 0 -t 3 -i %1/M.mp3 -y -q:a 0 -c copy %1/Audio.mp3").arg(w)},
         w + QStringLiteral("/Audio.mp3")},
    };
    bench.settings.lengthText = QStringLiteral("3");
    bench.settings.outputWidth = 640;
    bench.settings.outputHeight = 360;
    bench.settings.fixedAudioText = audio;
    for (const Case &c : cases) {
        bench.runner.arguments.clear();
        bench.settings.fixedAudioLengthText = c.audioLength;
        bench.settings.addAudio = c.addAudio;
        bench.settings.reuse = c.reuse;
        bench.compose(1);  // fails at the output check: nothing writes the output here

        QStringList clips;
        QStringList expected = c.soundSteps;
        for (int k = 1; k <= 4; ++k)
            clips << QStringLiteral("-i ")
                         + (c.reuse ? w + QStringLiteral("/M.mp4")
                                    : QStringLiteral("%1/%2.mp4").arg(w).arg(k));
        for (int k = 1; k <= (c.reuse ? 1 : 4); ++k)
            expected << encode;
        expected << QStringLiteral("-i ") + c.track + QLatin1Char(' ') + clips.join(QLatin1Char(' ')) + filter
                        + bench.output(1);
        EXPECT_EQ(bench.runner.arguments, expected) << c.audioLength.toStdString();
    }
    QFile list(bench.work(QStringLiteral("List.txt")));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(list.readAll()), QStringLiteral("file '%1'\r\n").arg(audio).repeated(3));
}

TEST(PicturePictureSteps, AnOutputWithoutAReadablePictureFails)
{
    ComposeBench bench;
    setUpPicturePicture(bench, QStringLiteral("4-4"));
    // Only the broken file is left in the list.
    bench.pictures = SourceTable(SourceKind::Picture, {bench.pictures.rows().constLast()});
    bench.settings.fixedAudioText = bench.addAudio(QStringLiteral("a.mp3"), QStringLiteral("5"));
    bench.settings.fixedAudioLengthText = QStringLiteral("5秒");
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.context.statuses.constLast().startsWith(QStringLiteral("状态：视频生成失败！")));
    EXPECT_EQ(clipEncodes(bench.runner), 0);
}
