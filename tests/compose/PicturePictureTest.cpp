// Picture+Picture outputs: whole outputs made by the real tool, and the
// tool's argument lists for each way of preparing the sound track.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "tests/support/MediaFactory.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSize>

#include <gtest/gtest.h>

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
        bench.runner.arguments.clear();
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
    const QString cut = QStringLiteral("-ss 0 -t 3 -i %1 -y -q:a 0 -acodec copy %2/Audio.mp3").arg(audio, w);
    const QString join = QStringLiteral("-f concat -safe 0 -i %1/List.txt -y -q:a 0 -c copy %1/M.mp3").arg(w);
    const QString cutJoined = QStringLiteral("-ss 0 -t 3 -i %1/M.mp3 -y -q:a 0 -c copy %1/Audio.mp3").arg(w);
    const QString encode = QStringLiteral("-f image2 -framerate 20 -i %1/Images/%06d.jpg -y -q:v 0 -r 20 "
                                          "-vcodec libx264 -pix_fmt yuv420p -t 3 %1/M.mp4")
                               .arg(w);
    const QString compose =
        QStringLiteral("-i %1 -i %2 -i %3 -i %4 -i %5 -filter_complex [1:v]pad=iw*2:ih*2[a];"
                       "[a][2:v]overlay=w[b];[b][3:v]overlay=0:h[c];[c][4:v]overlay=w:h "
                       "-y -q:v 0 -q:a 0 -pix_fmt yuv420p ")
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
        {QStringLiteral("3秒"), true, {encode, compose.arg(audio, m, m, m, m)}},
        {QStringLiteral("1.2秒"), true, {join, cutJoined, encode, compose.arg(track, m, m, m, m)}},
    };
    bench.settings.lengthText = QStringLiteral("3");
    bench.settings.outputWidth = 640;
    bench.settings.outputHeight = 360;
    bench.settings.fixedAudioText = audio;
    bench.settings.addAudio = true;
    for (const Case &c : cases) {
        bench.runner.arguments.clear();
        bench.settings.fixedAudioLengthText = c.audioLength;
        bench.settings.reuse = c.reuse;
        bench.compose(1);  // fails at the output check: nothing writes the output here
        EXPECT_EQ(bench.runner.arguments, c.expected) << c.audioLength.toStdString();
    }
    QFile list(bench.work(QStringLiteral("List.txt")));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(list.readAll()), QStringLiteral("file '%1'\r\n").arg(audio).repeated(3));

    // With no readable picture left the output fails before any clip.
    bench.runner.arguments.clear();
    bench.pictures = SourceTable(SourceKind::Picture, {bench.pictures.rows().constLast()});
    EXPECT_EQ(bench.compose(1), OutputResult::Failed);
    EXPECT_TRUE(bench.context.statuses.constLast().startsWith(QStringLiteral("状态：视频生成失败！")));
    EXPECT_EQ(clipEncodes(bench.runner), 0);
}

TEST(PicturePictureEndToEnd, PhonePhotosLogosAndCutFilesAreDrawnAsViewersShowThemOrNotAtAll)
{
    ComposeBench bench(RecordingToolRunner::Execution::RunForReal);
    const QString folder = bench.sourceFolder;
    const auto listed = [&bench, &folder](const QString &name, QSize size) {
        bench.pictures.append({name, folder, QString::number(size.width()), QString::number(size.height())});
        return folder + QLatin1Char('/') + name;
    };
    const auto flat = [](const char *colour, QSize size, const QString &path) {
        return MediaFactory::runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("color=c=%1:s=%2x%3").arg(colour).arg(size.width()).arg(size.height()),
             "-frames:v", "1", path});
    };
    // Two 48-megapixel phone photos, one lying and one standing.
    ASSERT_TRUE(flat("red", {8000, 6000}, listed(QStringLiteral("wide.jpg"), {8000, 6000})));
    ASSERT_TRUE(flat("lime", {6000, 8000}, listed(QStringLiteral("tall.jpg"), {6000, 8000})));
    // A photo stored lying (left yellow, right blue) and tagged to be turned
    // a quarter clockwise: shown standing, yellow above blue.
    QImage stored(400, 200, QImage::Format_RGB32);
    stored.fill(QColor(0, 0, 255));
    QPainter(&stored).fillRect(0, 0, 200, 200, QColor(255, 255, 0));
    const QString turned = listed(QStringLiteral("turned.jpg"), {200, 400});
    ASSERT_TRUE(stored.save(turned, "JPG", 95) && MediaFactory::tagOrientation(turned, 6));
    // A 1-bit logo: magenta left, cyan right.
    QImage logo(400, 200, QImage::Format_Mono);
    logo.setColorTable({qRgb(255, 0, 255), qRgb(0, 255, 255)});
    logo.fill(0);
    for (int y = 0; y < 200; ++y) {
        for (int x = 200; x < 400; ++x)
            logo.setPixel(x, y, 1);
    }
    ASSERT_TRUE(logo.save(listed(QStringLiteral("logo.png"), {400, 200}), "PNG"));
    // A white photo cut in half: it would show white above grey.
    const QString whole = bench.source(QStringLiteral("whole.jpg"));
    ASSERT_TRUE(flat("white", {640, 480}, whole));
    QFile in(whole);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    QFile cut(listed(QStringLiteral("cut.jpg"), {640, 480}));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly) && cut.write(bytes.left(bytes.size() / 2)) > 0);
    cut.close();

    const QString audio = bench.source(QStringLiteral("a.mp3"));
    ASSERT_TRUE(MediaFactory::makeAudio(audio, 3.0));
    bench.settings.composeMode = ComposeMode::PicturePicture;
    bench.settings.audioRule = AudioRule::FixedAudio;
    bench.settings.fixedAudioText = audio;
    bench.settings.fixedAudioLengthText = QStringLiteral("3秒");
    bench.settings.pictureRangeText = QStringLiteral("1-1");
    bench.settings.lengthText = QStringLiteral("2");
    bench.settings.outputWidth = 1280;
    bench.settings.outputHeight = 720;
    bench.settings.noSpace = false;  // centred in the quadrants
    // Five pictures for four quadrants: whichever draw meets the cut file,
    // it is skipped and each of the other four fills one quadrant.
    for (const QVector<double> &draws : {QVector<double>{0.0}, QVector<double>{0.99, 0.5, 0.2}}) {
        bench.setDraws(draws);
        ASSERT_EQ(bench.compose(1), OutputResult::Done) << bench.context.statuses.last().toStdString();
        const QString frame = bench.work(QStringLiteral("frame.png"));
        ASSERT_TRUE(MediaFactory::runFfmpeg({"-ss", "1", "-i", bench.output(1), "-frames:v", "1", frame}));
        const QImage shown(frame);
        ASSERT_EQ(shown.size(), QSize(1280, 720));

        // Each quadrant (640x360) read at five points: above and below the
        // middle (x 330), left, right and the centre.
        const auto close = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) < 60 && std::abs(a.green() - b.green()) < 60
                   && std::abs(a.blue() - b.blue()) < 60;
        };
        const QColor black(0, 0, 0), red(255, 0, 0), lime(0, 255, 0), yellow(255, 255, 0), blue(0, 0, 255),
            magenta(255, 0, 255), cyan(0, 255, 255);
        struct Look {
            const char *picture;
            QColor above, below, left, right;
        };
        // wide: 480x360 centred; tall: 270x360; turned: 180x360; logo: 640x320.
        const Look looks[] = {{"wide", red, red, red, red},
                              {"tall", lime, lime, black, black},
                              {"turned", yellow, blue, black, black},
                              {"logo", cyan, cyan, magenta, cyan}};
        QStringList seen;
        QStringList colours;
        for (const QPoint origin : {QPoint(0, 0), QPoint(640, 0), QPoint(0, 360), QPoint(640, 360)}) {
            const auto at = [&](int x, int y) { return shown.pixelColor(origin + QPoint(x, y)); };
            QString which = QStringLiteral("unknown");
            for (const Look &look : looks) {
                if (close(at(330, 60), look.above) && close(at(330, 300), look.below)
                    && close(at(160, 180), look.left) && close(at(480, 180), look.right))
                    which = QString::fromLatin1(look.picture);
            }
            seen.append(which);
            colours.append(at(330, 60).name() + QLatin1Char(' ') + at(330, 300).name() + QLatin1Char(' ')
                           + at(160, 180).name() + QLatin1Char(' ') + at(480, 180).name());
        }
        seen.sort();
        EXPECT_EQ(seen, (QStringList{"logo", "tall", "turned", "wide"}))
            << draws.first() << ": " << colours.join(QStringLiteral(", ")).toStdString();
    }
}
