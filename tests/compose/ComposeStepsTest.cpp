// The steps the composition modes share.
#include "QtPrinters.h"
#include "app/compose/CommonLength.h"
#include "app/compose/ConcatList.h"
#include "app/compose/FourUpLayout.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/run/OutputPath.h"
#include "tests/support/FixedRandom.h"
#include "tests/support/MediaFactory.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

FourSources sized(std::initializer_list<int> widths, std::initializer_list<int> heights = {})
{
    FourSources sources;
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

QList<int> widthsOf(const FourSources &sources)
{
    return {sources[0].width, sources[1].width, sources[2].width, sources[3].width};
}

TEST(ComposeSteps, TheExchangePassIsNotASort)
{
    FourSources sources = sized({4, 3, 2, 1});
    FourUpLayout::orderByWidth(sources, LengthRule::FirstVideo);
    EXPECT_EQ(widthsOf(sources), (QList<int>{1, 4, 2, 3}));

    sources = sized({4, 3, 2, 1});
    FourUpLayout::orderByWidth(sources, LengthRule::ShortestVideo);
    EXPECT_EQ(widthsOf(sources), (QList<int>{1, 4, 2, 3}));
}

TEST(ComposeSteps, FixedAndLongestLengthSwapTheFirstAndLast)
{
    for (LengthRule rule : {LengthRule::Fixed, LengthRule::LongestVideo}) {
        FourSources sources = sized({4, 3, 2, 1});
        FourUpLayout::orderByWidth(sources, rule);
        EXPECT_EQ(widthsOf(sources), (QList<int>{3, 4, 2, 1}));
    }
}

TEST(ComposeSteps, EqualWidthsAreNeverExchanged)
{
    FourSources sources = sized({5, 5, 5, 5});
    for (int i = 0; i < 4; ++i)
        sources[i].path = QString::number(i);
    FourUpLayout::orderByWidth(sources, LengthRule::FirstVideo);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sources[i].path, QString::number(i));
    // Whole entries move: the size and length travel with the path.
    sources = sized({9, 1, 5, 5}, {90, 10, 50, 51});
    sources[1].durationSeconds = 7.5;
    FourUpLayout::orderByWidth(sources, LengthRule::FirstVideo);
    EXPECT_EQ(sources[0].width, 1);
    EXPECT_EQ(sources[0].height, 10);
    EXPECT_EQ(sources[0].durationSeconds, 7.5);
    EXPECT_EQ(sources[0].path, QStringLiteral("w1"));
}

TEST(ComposeSteps, TheCanvasTakesTheLargerDiagonalSums)
{
    // Widths: 0 + 3 = 400 against 1 + 2 = 250; heights: 1 + 2 = 50 against 0 + 3 = 80.
    EXPECT_EQ(FourUpLayout::canvasSize(sized({100, 200, 50, 300}, {40, 20, 30, 40})), QSize(400, 80));
    // Widths: 0 + 3 = 30 against 1 + 2 = 700; heights: 1 + 2 = 90 against 0 + 3 = 11.
    EXPECT_EQ(FourUpLayout::canvasSize(sized({10, 300, 400, 20}, {5, 45, 45, 6})), QSize(700, 90));
    // Four equal sources: twice their size.
    EXPECT_EQ(FourUpLayout::canvasSize(sized({160, 160, 160, 160}, {120, 120, 120, 120})), QSize(320, 240));
}

TEST(ComposeSteps, EdgeToEdgeAndCornerPlacements)
{
    const FourSources sources = sized({100, 200, 50, 300}, {40, 20, 30, 45});
    const QSize canvas = FourUpLayout::canvasSize(sources);  // 400 x 85
    const FourUpLayout::Positions packed =
        FourUpLayout::positions(sources, canvas, FourUpLayout::Placement::EdgeToEdge);
    EXPECT_EQ(packed.x1, 100);  // right of clip 0
    EXPECT_EQ(packed.y2, 40);   // below clip 0
    EXPECT_EQ(packed.x3, 50);   // width of clip 2
    EXPECT_EQ(packed.y3, 20);   // height of clip 1
    const FourUpLayout::Positions corners =
        FourUpLayout::positions(sources, canvas, FourUpLayout::Placement::Corners);
    EXPECT_EQ(corners.x1, 400 - 200);
    EXPECT_EQ(corners.y2, 85 - 30);
    EXPECT_EQ(corners.x3, 400 - 300);
    EXPECT_EQ(corners.y3, 85 - 45);
}

TEST(ComposeSteps, OnlySideBySideEvenLayoutsAreStacked)
{
    using Placement = FourUpLayout::Placement;
    // The end of the stacked filter; empty where the overlays must stay.
    const std::tuple<FourSources, Placement, QString> cases[] = {
        {sized({100, 200, 50, 300}, {40, 20, 30, 44}), Placement::Corners,
         "layout=0_0|200_0|0_54|100_40:fill=black"},
        {sized({100, 100, 100, 100}, {60, 40, 40, 60}), Placement::EdgeToEdge,
         "layout=0_0|100_0|0_60|100_40:fill=black,pad=200:120"},                       // a gap below
        {sized({100, 200, 50, 300}, {40, 20, 30, 44}), Placement::EdgeToEdge, {}},     // overlapping
        {sized({1000, 900, 100, 100}, {100, 100, 100, 100}), Placement::Corners, {}},  // overlapping
        {sized({200, 200, 100, 100}, {50, 50, 50, 50}), Placement::EdgeToEdge, {}},    // beyond the canvas
        {sized({161, 161, 161, 161}, {120, 120, 120, 120}), Placement::Corners, {}},   // odd sizes
    };
    int row = 0;
    for (const auto &[sources, placement, ending] : cases) {
        SCOPED_TRACE(++row);
        const QSize canvas = FourUpLayout::canvasSize(sources);
        const std::optional<QString> filter = FourUpLayout::stackFilter(
            0, sources, canvas, FourUpLayout::positions(sources, canvas, placement), {25, 1});
        ASSERT_EQ(filter.has_value(), !ending.isEmpty()) << filter.value_or(QString()).toStdString();
        EXPECT_TRUE(!filter || filter->endsWith(ending)) << filter.value_or(QString()).toStdString();
    }
    // The whole text once, after a sound track as input 0; no rate, no stack.
    const FourSources alike = sized({640, 640, 640, 640}, {360, 360, 360, 360});
    const FourUpLayout::Positions at = FourUpLayout::positions(alike, {1280, 720}, Placement::Corners);
    const QString timing = QStringLiteral("fps=30000/1001:start_time=0,format=yuv420p");
    EXPECT_EQ(
        FourUpLayout::stackFilter(1, alike, {1280, 720}, at, {30000, 1001}),
        QStringLiteral("[1:v]%1[s0];[2:v]%1[s1];[3:v]%1[s2];[4:v]%1[s3];[s0][s1][s2][s3]xstack=inputs=4:"
                       "layout=0_0|640_0|0_360|640_360:fill=black")
            .arg(timing));
    EXPECT_FALSE(FourUpLayout::stackFilter(1, alike, {1280, 720}, at, {0, 1}));
}

class CommonLengthTest : public ::testing::Test {
protected:
    std::optional<double> length(int rule)
    {
        settings.lengthRule = LengthRule(rule);
        settings.readNumbers();
        return CommonLength(settings, sources, 9.5, 1.25, random);
    }
    RunSettings settings;
    FourSources sources = sized({1, 2, 3, 4});
    FixedRandom random{{0.5}};
};

TEST_F(CommonLengthTest, FixedLengthIsTheTextCappedAtTheLongest)
{
    settings.lengthText = QStringLiteral("7.25");
    EXPECT_EQ(length(0), 7.25);
    settings.lengthText = QStringLiteral("30");
    EXPECT_EQ(length(0), 9.5);
    EXPECT_EQ(random.draws(), 0);
}

TEST_F(CommonLengthTest, RandomFixedLengthIsDrawnInTheRangeAndCapped)
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

TEST_F(CommonLengthTest, TheOtherRulesTakeTheFirstShortestOrLongest)
{
    sources[0].durationSeconds = 4.125;
    EXPECT_EQ(length(1), 4.125);
    EXPECT_EQ(length(2), 1.25);
    EXPECT_EQ(length(3), 9.5);
    EXPECT_FALSE(length(4).has_value());
    EXPECT_EQ(random.draws(), 0);
}

TEST(ComposeSteps, ElapsedTimesAreShownAsATimeOfDay)
{
    EXPECT_EQ(OutputStatus::elapsedText(0), QStringLiteral("0:00:00"));
    EXPECT_EQ(OutputStatus::elapsedText(65), QStringLiteral("0:01:05"));
    EXPECT_EQ(OutputStatus::elapsedText(5 * 3600 + 30 * 60 + 9), QStringLiteral("5:30:09"));
    EXPECT_EQ(OutputStatus::elapsedText(86400 + 61), QStringLiteral("0:01:01"));
    const QDateTime start(QDate(2024, 3, 1), QTime(23, 59, 30));
    EXPECT_EQ(OutputStatus::elapsedText(start, start.addSecs(330).addMSecs(900)), QStringLiteral("0:05:30"));
}

TEST(ComposeSteps, SizeTextIsMegabytesToThreeDecimals)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/out.mp4");
    EXPECT_EQ(OutputStatus::sizeText(path, QStringLiteral("1.5mb")),
              QStringLiteral("1.5mb"));                                         // unreadable: kept
    EXPECT_EQ(OutputStatus::sizeText(path, QString()), QStringLiteral("0mb"));  // not there yet
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(OutputStatus::sizeText(path, QStringLiteral("1.5mb")), QStringLiteral("0mb"));
    ASSERT_TRUE(file.resize(1000));  // 0.00095 MB
    EXPECT_EQ(OutputStatus::sizeText(path, QString()), QStringLiteral("0.001mb"));
    ASSERT_TRUE(file.resize(1024 * 1024 * 3 / 2));
    EXPECT_EQ(OutputStatus::sizeText(path, QString()), QStringLiteral("1.5mb"));
    ASSERT_TRUE(file.resize(12945309));  // 12.3456 MB
    EXPECT_EQ(OutputStatus::sizeText(path, QString()), QStringLiteral("12.346mb"));
}

TEST(ComposeSteps, TheConcatListIsUtf8WithCrLfAndWrittenAnew)
{
    QTemporaryDir folder;
    const QString list = folder.path() + QStringLiteral("/List.txt");
    ASSERT_TRUE(WriteConcatList(
        list, {QStringLiteral("/w/一.mp3"), QStringLiteral("/w/b c.mp3"), QStringLiteral("/w/3.mp3")}));
    ASSERT_TRUE(WriteConcatList(list, {QStringLiteral("/w/0.mp3"), QStringLiteral("/w/音频.mp3")}));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("file '/w/0.mp3'\r\nfile '/w/\xE9\x9F\xB3\xE9\xA2\x91.mp3'\r\n"));
    EXPECT_FALSE(WriteConcatList(folder.path() + QStringLiteral("/none/List.txt"), {}));
}

TEST(ComposeSteps, AConcatListRefusesAPieceWithAControlCharacter)
{
    // A line break would start a line naming any file at all.
    QTemporaryDir folder;
    const QString list = folder.path() + QStringLiteral("/List.txt");
    for (const QString &piece : {QStringLiteral("/w/aud\rfile /etc/passwd"), QStringLiteral("/w/a\nb.mp3"),
                                 QStringLiteral("/w/a\tb.mp3"), QStringLiteral("/w/a\x01.mp3")}) {
        EXPECT_FALSE(WriteConcatList(list, {QStringLiteral("/w/0.mp3"), piece}));
        EXPECT_FALSE(QFileInfo::exists(list));
    }
}

TEST(ComposeSteps, AQuoteInAConcatListPathIsEscaped)
{
    // The concat reader takes '\'' inside a quoted path as one "'"; the real
    // tool reads the list back (the joined length shows both pieces were found).
    QTemporaryDir folder;
    const QString piece = folder.path() + QStringLiteral("/it's 一.wav");
    ASSERT_TRUE(MediaFactory::makeAudio(piece, 1.0));
    const QString list = folder.path() + QStringLiteral("/List.txt");
    ASSERT_TRUE(WriteConcatList(list, {piece, piece}));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/it'\\''s "));
    const QString joined = folder.path() + QStringLiteral("/joined.wav");
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-f", "concat", "-safe", "0", "-i", list, "-c", "copy", joined}));
    EXPECT_NEAR(MediaFactory::probe(joined).durationSeconds, 2.0, 0.05);
}

TEST(ComposeSteps, OutputPathHasAFourDigitNumber)
{
    RunSettings settings;
    settings.outputFolderText = QStringLiteral("/data/输出");
    settings.outputType = QStringLiteral("flv");
    EXPECT_EQ(OutputPath(settings, 7), QStringLiteral("/data/输出/0007.flv"));
    EXPECT_EQ(OutputPath(settings, 12345), QStringLiteral("/data/输出/12345.flv"));
}

TEST(ComposeSteps, CutExtensions)
{
    EXPECT_EQ(MediaExtensions::extensionOf(QStringLiteral("/a.b/c.MP4")), QStringLiteral(".MP4"));
    EXPECT_EQ(MediaExtensions::extensionOf(QStringLiteral("/a.b/noext")), QString());
    EXPECT_EQ(MediaExtensions::videoCutExtension(QStringLiteral("/v/c.MP4")), QStringLiteral(".MP4"));
    for (const char *kept : {".avi", ".flv", ".wmv", ".mkv", ".mov", ".mpg", ".ts", ".webm", ".vob"})
        EXPECT_EQ(MediaExtensions::videoCutExtension(QStringLiteral("/v/x") + QLatin1String(kept)),
                  QLatin1String(kept));
    for (const char *moved : {".rmvb", ".rm", ".divx", ".dat", ".ogm", ".mpv", ".ifo", ".3gp", ""})
        EXPECT_EQ(MediaExtensions::videoCutExtension(QStringLiteral("/v.d/x") + QLatin1String(moved)),
                  QStringLiteral(".mkv"))
            << moved;
    EXPECT_EQ(MediaExtensions::audioCutExtension(QStringLiteral("/a/x.wav")), QStringLiteral(".wav"));
    EXPECT_EQ(MediaExtensions::audioCutExtension(QStringLiteral("/a/x.ape")), QStringLiteral(".mka"));
    EXPECT_TRUE(MediaExtensions::encodesH264(QStringLiteral("mp4")));
    EXPECT_TRUE(MediaExtensions::encodesH264(QStringLiteral(".MKV")));
    EXPECT_FALSE(MediaExtensions::encodesH264(QStringLiteral("avi")));
    EXPECT_FALSE(MediaExtensions::encodesH264(QStringLiteral("wmv")));
    EXPECT_FALSE(MediaExtensions::encodesH264(QStringLiteral("flv")));
}

}  // namespace
