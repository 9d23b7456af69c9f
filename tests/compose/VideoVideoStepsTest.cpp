// The pure steps of the Video+Video mode that other modes share.
#include "QtPrinters.h"
#include "app/compose/VideoVideoComposer.h"
#include "tests/support/FixedRandom.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Composer = VideoVideoComposer;

Composer::FourSources sized(std::initializer_list<int> widths, std::initializer_list<int> heights = {})
{
    Composer::FourSources sources;
    int i = 0;
    for (int width : widths) {
        sources[i].path = QStringLiteral("w%1").arg(width);
        sources[i].width = width;
        ++i;
    }
    i = 0;
    for (int height : heights)
        sources[i++].height = height;
    return sources;
}

QList<int> widthsOf(const Composer::FourSources &sources)
{
    return {sources[0].width, sources[1].width, sources[2].width, sources[3].width};
}

TEST(VideoVideoSteps, TheExchangePassIsNotASort)
{
    Composer::FourSources sources = sized({4, 3, 2, 1});
    Composer::orderByWidth(sources, Composer::LengthRule::FirstVideo);
    EXPECT_EQ(widthsOf(sources), (QList<int>{1, 4, 2, 3}));

    sources = sized({4, 3, 2, 1});
    Composer::orderByWidth(sources, Composer::LengthRule::ShortestVideo);
    EXPECT_EQ(widthsOf(sources), (QList<int>{1, 4, 2, 3}));
}

TEST(VideoVideoSteps, FixedAndLongestLengthSwapTheFirstAndLast)
{
    for (Composer::LengthRule rule : {Composer::LengthRule::Fixed, Composer::LengthRule::LongestVideo}) {
        Composer::FourSources sources = sized({4, 3, 2, 1});
        Composer::orderByWidth(sources, rule);
        EXPECT_EQ(widthsOf(sources), (QList<int>{3, 4, 2, 1}));
    }
}

TEST(VideoVideoSteps, EqualWidthsAreNeverExchanged)
{
    Composer::FourSources sources = sized({5, 5, 5, 5});
    for (int i = 0; i < 4; ++i)
        sources[i].path = QString::number(i);
    Composer::orderByWidth(sources, Composer::LengthRule::FirstVideo);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sources[i].path, QString::number(i));
    // Whole entries move: the size and length travel with the path.
    sources = sized({9, 1, 5, 5}, {90, 10, 50, 51});
    sources[1].durationSeconds = 7.5;
    Composer::orderByWidth(sources, Composer::LengthRule::FirstVideo);
    EXPECT_EQ(sources[0].width, 1);
    EXPECT_EQ(sources[0].height, 10);
    EXPECT_EQ(sources[0].durationSeconds, 7.5);
    EXPECT_EQ(sources[0].path, QStringLiteral("w1"));
}

TEST(VideoVideoSteps, TheCanvasTakesTheLargerDiagonalSums)
{
    // Widths: 0 + 3 = 400 against 1 + 2 = 250; heights: 1 + 2 = 50 against 0 + 3 = 80.
    EXPECT_EQ(Composer::canvasSize(sized({100, 200, 50, 300}, {40, 20, 30, 40})), QSize(400, 80));
    // Widths: 0 + 3 = 30 against 1 + 2 = 700; heights: 1 + 2 = 90 against 0 + 3 = 11.
    EXPECT_EQ(Composer::canvasSize(sized({10, 300, 400, 20}, {5, 45, 45, 6})), QSize(700, 90));
    // Four equal sources: twice their size.
    EXPECT_EQ(Composer::canvasSize(sized({160, 160, 160, 160}, {120, 120, 120, 120})), QSize(320, 240));
}

TEST(VideoVideoSteps, EdgeToEdgeAndCornerPlacements)
{
    const Composer::FourSources sources = sized({100, 200, 50, 300}, {40, 20, 30, 45});
    const QSize canvas = Composer::canvasSize(sources);  // 400 x 85
    const Composer::OverlayPositions packed =
        Composer::overlayPositions(sources, canvas, Composer::Placement::EdgeToEdge);
    EXPECT_EQ(packed.x1, 100);  // right of clip 0
    EXPECT_EQ(packed.y2, 40);   // below clip 0
    EXPECT_EQ(packed.x3, 50);   // width of clip 2
    EXPECT_EQ(packed.y3, 20);   // height of clip 1
    const Composer::OverlayPositions corners =
        Composer::overlayPositions(sources, canvas, Composer::Placement::Corners);
    EXPECT_EQ(corners.x1, 400 - 200);
    EXPECT_EQ(corners.y2, 85 - 30);
    EXPECT_EQ(corners.x3, 400 - 300);
    EXPECT_EQ(corners.y3, 85 - 45);
}

class VideoVideoTargetLengthTest : public ::testing::Test {
protected:
    std::optional<double> length(int rule)
    {
        settings.lengthRule = rule;
        return Composer::targetLength(settings, sources, 9.5, 1.25, random);
    }
    RunSettings settings;
    Composer::FourSources sources = sized({1, 2, 3, 4});
    FixedRandom random{{0.5}};
};

TEST_F(VideoVideoTargetLengthTest, FixedLengthIsTheTextCappedAtTheLongest)
{
    settings.lengthText = QStringLiteral("7.25");
    EXPECT_EQ(length(0), 7.25);
    settings.lengthText = QStringLiteral("30");
    EXPECT_EQ(length(0), 9.5);
    EXPECT_EQ(random.draws(), 0);
}

TEST_F(VideoVideoTargetLengthTest, RandomFixedLengthIsDrawnInTheRangeAndCapped)
{
    settings.randomLength = true;
    settings.randomLengthRangeText = QStringLiteral("3-8");
    EXPECT_EQ(length(0), 5.5);  // (8 − 3) × 0.5 + 3
    settings.randomLengthRangeText = QStringLiteral("3-600");
    EXPECT_EQ(length(0), 9.5);
    random = FixedRandom({0.12345});
    settings.randomLengthRangeText = QStringLiteral("2-4");
    EXPECT_EQ(length(0), 2.247);  // 2 × 0.12345 = 0.2469 → 0.247
    settings.randomLengthRangeText = QStringLiteral("5");
    EXPECT_FALSE(length(0).has_value());
}

TEST_F(VideoVideoTargetLengthTest, TheOtherRulesTakeTheFirstShortestOrLongest)
{
    sources[0].durationSeconds = 4.125;
    EXPECT_EQ(length(1), 4.125);
    EXPECT_EQ(length(2), 1.25);
    EXPECT_EQ(length(3), 9.5);
    EXPECT_FALSE(length(4).has_value());
    EXPECT_EQ(random.draws(), 0);
}

TEST(VideoVideoSteps, ElapsedTimesAreShownAsATimeOfDay)
{
    EXPECT_EQ(Composer::elapsedText(0), QStringLiteral("0:00:00"));
    EXPECT_EQ(Composer::elapsedText(65), QStringLiteral("0:01:05"));
    EXPECT_EQ(Composer::elapsedText(5 * 3600 + 30 * 60 + 9), QStringLiteral("5:30:09"));
    EXPECT_EQ(Composer::elapsedText(86400 + 61), QStringLiteral("0:01:01"));
    const QDateTime start(QDate(2024, 3, 1), QTime(23, 59, 30));
    EXPECT_EQ(Composer::elapsedText(start, start.addSecs(330).addMSecs(900)), QStringLiteral("0:05:30"));
}

TEST(VideoVideoSteps, SizeTextIsMegabytesToThreeDecimals)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/out.mp4");
    EXPECT_EQ(Composer::sizeText(path, QStringLiteral("1.5mb")), QStringLiteral("1.5mb"));  // unreadable: kept
    EXPECT_EQ(Composer::sizeText(path, QString()), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(Composer::sizeText(path, QStringLiteral("1.5mb")), QStringLiteral("0mb"));
    ASSERT_TRUE(file.resize(1000));  // 0.00095 MB
    EXPECT_EQ(Composer::sizeText(path, QString()), QStringLiteral("0.001mb"));
    ASSERT_TRUE(file.resize(1024 * 1024 * 3 / 2));
    EXPECT_EQ(Composer::sizeText(path, QString()), QStringLiteral("1.5mb"));
    ASSERT_TRUE(file.resize(12945309));  // 12.3456 MB
    EXPECT_EQ(Composer::sizeText(path, QString()), QStringLiteral("12.346mb"));
}

TEST(VideoVideoSteps, TheConcatListIsUtf8WithCrLfAndWrittenAnew)
{
    QTemporaryDir folder;
    const QString list = folder.path() + QStringLiteral("/List.txt");
    ASSERT_TRUE(Composer::writeConcatList(list, {QStringLiteral("/w/一.mp3"), QStringLiteral("/w/b c.mp3"),
                                                 QStringLiteral("/w/3.mp3")}));
    ASSERT_TRUE(Composer::writeConcatList(list, {QStringLiteral("/w/0.mp3"), QStringLiteral("/w/音频.mp3")}));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("file '/w/0.mp3'\r\nfile '/w/\xE9\x9F\xB3\xE9\xA2\x91.mp3'\r\n"));
    EXPECT_FALSE(Composer::writeConcatList(folder.path() + QStringLiteral("/none/List.txt"), {}));
}

TEST(VideoVideoSteps, OutputPathHasAFourDigitNumber)
{
    RunSettings settings;
    settings.outputFolderText = QStringLiteral("/data/输出");
    settings.outputType = QStringLiteral("flv");
    EXPECT_EQ(Composer::outputPath(settings, 7), QStringLiteral("/data/输出/0007.flv"));
    EXPECT_EQ(Composer::outputPath(settings, 12345), QStringLiteral("/data/输出/12345.flv"));
}

TEST(VideoVideoSteps, CutExtensions)
{
    EXPECT_EQ(Composer::extensionOf(QStringLiteral("/a.b/c.MP4")), QStringLiteral(".MP4"));
    EXPECT_EQ(Composer::extensionOf(QStringLiteral("/a.b/noext")), QString());
    EXPECT_EQ(Composer::videoCutExtension(QStringLiteral("/v/c.MP4")), QStringLiteral(".MP4"));
    for (const char *kept : {".avi", ".flv", ".wmv", ".mkv", ".mov", ".mpg", ".ts", ".webm", ".vob"})
        EXPECT_EQ(Composer::videoCutExtension(QStringLiteral("/v/x") + QLatin1String(kept)), QLatin1String(kept));
    for (const char *moved : {".rmvb", ".rm", ".divx", ".dat", ".ogm", ".mpv", ".ifo", ".3gp", ""})
        EXPECT_EQ(Composer::videoCutExtension(QStringLiteral("/v.d/x") + QLatin1String(moved)),
                  QStringLiteral(".mkv"))
            << moved;
    EXPECT_EQ(Composer::audioCutExtension(QStringLiteral("/a/x.wav")), QStringLiteral(".wav"));
    EXPECT_EQ(Composer::audioCutExtension(QStringLiteral("/a/x.ape")), QStringLiteral(".mka"));
    EXPECT_TRUE(Composer::encodesH264(QStringLiteral("mp4")));
    EXPECT_TRUE(Composer::encodesH264(QStringLiteral(".MKV")));
    EXPECT_FALSE(Composer::encodesH264(QStringLiteral("avi")));
    EXPECT_FALSE(Composer::encodesH264(QStringLiteral("wmv")));
    EXPECT_FALSE(Composer::encodesH264(QStringLiteral("flv")));
}

}  // namespace
