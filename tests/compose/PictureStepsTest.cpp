// The small steps of the picture modes: the draw of entries, the fit into a
// quadrant and the clip's numbers.
#include "app/compose/EntryPool.h"
#include "app/compose/PictureClip.h"
#include "app/compose/QuadrantFit.h"
#include "app/run/RunSettings.h"
#include "tests/support/FixedRandom.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(EntryPool, FillsEverySlotWithEqualOddsAndRepeatsOnlyWhenNoUnusedEntryRemains)
{
    // 5 pictures, 4 clips of 3: 12 slots, each cycle of 5 without a repeat.
    EntryPool pool(5);
    FixedRandom random({0.99, 0.0, 0.5, 0.7, 0.2, 0.999, 0.4});
    QVector<int> drawn;
    for (int slot = 0; slot < 12; ++slot)
        drawn.append(pool.draw(random));
    for (int start = 0; start < 12; start += 5) {
        const QVector<int> cycle = drawn.mid(start, 5);
        EXPECT_EQ(QSet<int>(cycle.begin(), cycle.end()).size(), cycle.size()) << start;
        EXPECT_TRUE(std::all_of(cycle.begin(), cycle.end(), [](int e) { return e >= 1 && e <= 5; }));
    }
    EXPECT_EQ(drawn.first(), 5);  // the last entry has its share
    EXPECT_EQ(drawn.at(1), 1);

    // Unusable entries are never drawn again; none left gives 0.
    EntryPool rest(3);
    rest.markUnusable(2);
    QSet<int> seen;
    for (int i = 0; i < 6; ++i)
        seen.insert(rest.draw(random));
    EXPECT_EQ(seen, (QSet<int>{1, 3}));
    rest.markUnusable(1);
    rest.markUnusable(3);
    EXPECT_EQ(rest.draw(random), 0);
}

TEST(QuadrantFit, FitsKeepingProportions)
{
    struct Case {
        QSize source;
        QSize output;
        std::optional<QSize> fitted;
        std::optional<QSize> even;
    };
    const Case cases[] = {
        {{1920, 1080}, {1280, 720}, QSize(640, 360), QSize(640, 360)},
        {{1080, 1920}, {1280, 720}, QSize(202, 360), QSize(202, 360)},  // 202.5 rounds to even
        {{1000, 1000}, {1280, 720}, QSize(360, 360), QSize(360, 360)},
        {{641, 359}, {1282, 720}, QSize(641, 359), QSize(640, 358)},
        {{10000, 1}, {1280, 720}, QSize(640, 1), QSize(640, 2)},
        {{0, 500}, {1280, 720}, std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FitIntoQuadrant(c.source, c.output), c.fitted) << c.source.width();
        EXPECT_EQ(FitIntoQuadrantEven(c.source, c.output), c.even) << c.source.width();
    }
    EXPECT_EQ(CentreInQuadrant({202, 360}, {1280, 720}), QPoint(219, 0));
    EXPECT_EQ(CentreInQuadrant({360, 357}, {1281, 720}), QPoint(140, 2));  // 140.25 and 1.5
    EXPECT_EQ(QuadrantCanvasSize({1281, 723}), QSize(640, 362));
    RunSettings settings;
    EXPECT_EQ(PictureModeOutputSize(settings), QSize(1920, 1080));  // automatic
}

TEST(PictureClip, PicturesAndFramesPerClip)
{
    EXPECT_EQ(PictureClip::framesPerPicture(30, 7), 87);
    EXPECT_EQ(PictureClip::framesPerPicture(2.5, 4), 14);  // 13.5 rounds to even
    RunSettings settings;
    settings.pictureRangeText = QStringLiteral("4-8");
    settings.readNumbers();
    FixedRandom random({0.0, 0.999});
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), 4);
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), 7);  // never the maximum itself
    settings.pictureRangeText = QStringLiteral("0-0");
    settings.readNumbers();
    EXPECT_EQ(PictureClip::picturesPerClip(settings, random), std::nullopt);
}
