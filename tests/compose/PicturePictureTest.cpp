// Picture+Picture outputs: whole outputs made by the real tool, and the
// tool's argument lists for each way of preparing the sound track.
#include "ArgumentLists.h"
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "tests/support/MediaFactory.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSize>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

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

TEST(PicturePictureEndToEnd, OutputsHaveTheCanvasSizeTheLengthAndSound)
{
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    setUpPicturePicture(bench, QStringLiteral("4-5"));
    const QString shortAudio = bench.source(QStringLiteral("配乐 短.mp3"));
    const QString longAudio = bench.source(QStringLiteral("long.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(shortAudio, 1.0) && MediaFactory::makeAudio(longAudio, 6.0));
    bench.setDraws({0.3, 0.9, 0.1, 0.6, 0.45, 0.75});
    bench.settings.addAudio = true;
    bench.settings.lengthText = QStringLiteral("2.5");

    // Odd quadrants (321x181) and a short audio repeated, under the first
    // rule (the chosen audio in this mode); then one clip for all four
    // quadrants and a long audio cut.
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
    for (int number = 1; number <= 2; ++number) {
        const Case &c = cases[number - 1];
        bench.runner.forgetArguments();
        bench.settings.outputWidth = c.output.width();
        bench.settings.outputHeight = c.output.height();
        bench.settings.reuse = c.reuse;
        bench.settings.audioRule = c.rule;
        bench.settings.fixedAudioText = c.audio;
        bench.settings.fixedAudioLengthText = c.audioLength;
        ASSERT_EQ(bench.compose(number), OutputResult::Done) << bench.context.statuses.last().toStdString();
        EXPECT_TRUE(bench.runner.failedRuns.isEmpty()) << bench.runner.toolOutput.join("\n").toStdString();
        const MediaFactory::StreamFacts facts = MediaFactory::probe(bench.output(number));
        EXPECT_EQ(QSize(facts.width, facts.height), c.output);
        EXPECT_NEAR(facts.durationSeconds, 2.5, 1.0 / 20);
        EXPECT_TRUE(facts.hasAudio);
        EXPECT_EQ(clipEncodes(bench.runner), c.clips);
        // N = 4 pictures held for F = 14 frames each.
        EXPECT_EQ(QDir(bench.work(QStringLiteral("Images"))).entryList(QDir::Files).size(), 4 * 14);
    }
}

TEST(PicturePictureArguments, OneOutputForEachWayOfPreparingTheSound)
{
    ComposeBench bench;
    setUpPicturePicture(bench, QStringLiteral("4-4"));
    const QString audio = bench.addAudio(QStringLiteral("配乐 a.mp3"), QStringLiteral("5"));
    const QString w = bench.workspace;
    const QString quotedAudio = QLatin1Char('"') + audio + QLatin1Char('"');  // one argument with a blank
    const QString cut =
        QStringLiteral("-ss 0 -t 3 -i %1 -y -q:a 0 -acodec copy %2/Audio.mp3").arg(quotedAudio, w);
    const QString join = QStringLiteral("-f concat -safe 0 -i %1/List.txt -y -q:a 0 -c copy %1/M.mp3").arg(w);
    const QString cutJoined = QStringLiteral("-ss 0 -t 3 -i %1/M.mp3 -y -q:a 0 -c copy %1/Audio.mp3").arg(w);
    const QString encode = QStringLiteral("-f image2 -framerate 20 -i %1/Images/%06d.jpg -y -q:v 0 -r 20 "
                                          "-vcodec libx264 -pix_fmt yuv420p -t 3 %1/M.mp4")
                               .arg(w);
    const QString compose =
        QStringLiteral("-i %1 -i %2 -i %3 -i %4 -i %5 -filter_complex [1:v]pad=iw*2:ih*2[a];"
                       "[a][2:v]overlay=w[b];[b][3:v]overlay=0:h[c];[c][4:v]overlay=w:h "
                       "-y -q:v 0 -q:a 0 -t 3 -pix_fmt yuv420p ")
        + bench.writing(1);
    const QString track = w + QStringLiteral("/Audio.mp3");
    const QString m = w + QStringLiteral("/M.mp4");
    const auto clip = [&w](int k) { return QStringLiteral("%1/%2.mp4").arg(w).arg(k); };
    // A longer audio is cut (here with a clip per quadrant), one as long as
    // L plays as it is, a shorter one is repeated (ChAddAudio).
    struct Case {
        QString audioLength;
        bool reuse;
        QStringList expected;
    };
    const Case cases[] = {
        {QStringLiteral("5秒"),
         false,
         {cut, encode, encode, encode, encode, compose.arg(track, clip(1), clip(2), clip(3), clip(4))}},
        {QStringLiteral("3秒"), true, {encode, compose.arg(quotedAudio, m, m, m, m)}},
        {QStringLiteral("1.2秒"), true, {join, cutJoined, encode, compose.arg(track, m, m, m, m)}},
    };
    bench.settings.lengthText = QStringLiteral("3");
    bench.settings.outputWidth = 640;
    bench.settings.outputHeight = 360;
    bench.settings.fixedAudioText = audio;
    bench.settings.addAudio = true;
    for (const Case &c : cases) {
        bench.runner.forgetArguments();
        bench.settings.fixedAudioLengthText = c.audioLength;
        bench.settings.reuse = c.reuse;
        bench.compose(1);  // fails at the output check: nothing writes the output here
        EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(c.expected)) << c.audioLength.toStdString();
    }
    QFile list(bench.work(QStringLiteral("List.txt")));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(list.readAll()), QStringLiteral("file '%1'\r\n").arg(audio).repeated(3));

    // With no readable picture left the output fails before any clip.
    bench.runner.forgetArguments();
    bench.pictures = SourceTable(SourceKind::Picture, {bench.pictures.rows().constLast()});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.context.statuses.constLast().startsWith(QStringLiteral("状态：视频生成失败！")));
    EXPECT_EQ(clipEncodes(bench.runner), 0);
}

TEST(PicturePictureEndToEnd, PhonePhotosLogosAndCutFilesAreDrawnAsViewersShowThemOrNotAtAll)
{
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    const auto flat = [&bench](const char *colour, const char *size, const char *name) {
        return MediaFactory::runFfmpeg({"-f", "lavfi", "-i",
                                        QStringLiteral("color=c=%1:s=%2").arg(colour, size), "-frames:v", "1",
                                        bench.source(name)});
    };
    // 48-megapixel photos, lying (red) and standing (lime); one stored lying,
    // yellow left of blue, tagged to be turned a quarter clockwise (yellow
    // above blue); a 1-bit logo, magenta left of cyan; a JPEG cut in half.
    ASSERT_TRUE(flat("red", "8000x6000", "wide.jpg") && flat("lime", "6000x8000", "tall.jpg"));
    QImage stored(400, 200, QImage::Format_RGB32);
    stored.fill(Qt::blue);
    QPainter(&stored).fillRect(0, 0, 200, 200, Qt::yellow);
    ASSERT_TRUE(stored.save(bench.source("turned.jpg"), "JPG", 95)
                && MediaFactory::tagOrientation(bench.source("turned.jpg"), 6));
    QImage logo(1600, 800, QImage::Format_Mono);
    logo.setColorTable({qRgb(255, 0, 255), qRgb(0, 255, 255)});
    logo.fill(0);
    for (int y = 0; y < 800; ++y) {
        for (int x = 800; x < 1600; ++x)
            logo.setPixel(x, y, 1);
    }
    ASSERT_TRUE(logo.save(bench.source("logo.png"), "PNG") && flat("white", "640x480", "cut.jpg"));
    QFile cut(bench.source("cut.jpg"));
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() / 2));
    cut.close();
    for (const char *name : {"wide.jpg", "tall.jpg", "turned.jpg", "logo.png", "cut.jpg"})
        bench.pictures.append({name, bench.sourceFolder, "1", "1"});
    const QString audio = bench.source("a.mp3");
    ASSERT_TRUE(MediaFactory::makeAudio(audio, 3.0));
    bench.settings.composeMode = ComposeMode::PicturePicture;
    bench.settings.audioRule = AudioRule::FixedAudio;
    bench.settings.fixedAudioText = audio;
    bench.settings.fixedAudioLengthText = QStringLiteral("3秒");
    bench.settings.pictureRangeText = QStringLiteral("1-1");
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.outputWidth = 1280;
    bench.settings.outputHeight = 720;
    bench.settings.noSpace = false;    // centred in the quadrants
    bench.setDraws({0.99, 0.5, 0.2});  // the cut file first: skipped, and each other one fills a quadrant
    ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.context.statuses.last().toStdString();
    const QString frame = bench.work(QStringLiteral("frame.png"));
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-ss", "1", "-i", bench.output(1), "-frames:v", "1", frame}));
    const QImage shown(frame);
    ASSERT_EQ(shown.size(), QSize(1280, 720));
    // Each 640x360 quadrant read above and below the middle and left and
    // right of it: wide 480x360 centred, tall 270x360, turned 180x360, logo 640x320.
    const QColor looks[4][4] = {{Qt::red, Qt::red, Qt::red, Qt::red},
                                {Qt::green, Qt::green, Qt::black, Qt::black},
                                {Qt::yellow, Qt::blue, Qt::black, Qt::black},
                                {Qt::cyan, Qt::cyan, Qt::magenta, Qt::cyan}};
    QSet<int> seen;
    QStringList colours;
    for (const QPoint origin : {QPoint(0, 0), QPoint(640, 0), QPoint(0, 360), QPoint(640, 360)}) {
        const QPoint points[4] = {{330, 60}, {330, 300}, {160, 180}, {480, 180}};
        for (int look = 0; look < 4; ++look) {
            if (std::all_of(points, points + 4, [&](const QPoint &p) {
                    const QColor a = shown.pixelColor(origin + p), b = looks[look][&p - points];
                    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green())
                               + std::abs(a.blue() - b.blue())
                           < 100;
                }))
                seen.insert(look);
        }
        for (const QPoint &p : points)
            colours.append(shown.pixelColor(origin + p).name());
    }
    EXPECT_EQ(seen, (QSet<int>{0, 1, 2, 3})) << colours.join(' ').toStdString();
}
