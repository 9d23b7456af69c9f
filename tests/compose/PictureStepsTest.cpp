// The small steps of the picture modes: the draw of entries, the fit into a
// quadrant and the frame series.
#include "app/compose/EntryPool.h"
#include "app/compose/FrameSeries.h"
#include "app/compose/QuadrantFit.h"
#include "app/run/RunSettings.h"
#include "tests/support/FixedRandom.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <filesystem>

#include <gtest/gtest.h>

TEST(EntryPool, FillsEverySlotAndRepeatsOnlyWhenNoUnusedEntryRemains)
{
    // 5 pictures, 4 clips of 3: 12 slots.
    EntryPool pool(5);
    FixedRandom random({0.99, 0.0, 0.5, 0.7, 0.2, 0.999, 0.4});
    QVector<int> drawn;
    for (int slot = 0; slot < 12; ++slot)
        drawn.append(pool.draw(random));
    for (int start = 0; start < 12; start += 5) {
        const QVector<int> cycle = drawn.mid(start, 5);
        EXPECT_EQ(QSet<int>(cycle.begin(), cycle.end()).size(), cycle.size()) << "cycle from slot " << start;
        for (int entry : cycle)
            EXPECT_TRUE(entry >= 1 && entry <= 5) << entry;
    }
    EXPECT_EQ(random.reseeds, 12);
}

TEST(EntryPool, GivesTheLastEntryItsShareAndSkipsUnusableEntries)
{
    FixedRandom last({0.999});
    EXPECT_EQ(EntryPool(4).draw(last), 4);
    FixedRandom first({0.0});
    EXPECT_EQ(EntryPool(4).draw(first), 1);

    EntryPool pool(3);
    pool.markUnusable(2);
    FixedRandom random({0.6});
    QSet<int> seen;
    for (int i = 0; i < 6; ++i)
        seen.insert(pool.draw(random));
    EXPECT_EQ(seen, (QSet<int>{1, 3}));
    pool.markUnusable(1);
    pool.markUnusable(3);
    EXPECT_EQ(pool.draw(random), 0);
    EXPECT_EQ(EntryPool(0).draw(random), 0);
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
        {{4000, 10}, {1280, 720}, QSize(640, 2), QSize(640, 2)},
        {{10000, 1}, {1280, 720}, QSize(640, 1), QSize(640, 2)},
        {{0, 500}, {1280, 720}, std::nullopt, std::nullopt},
        {{500, 0}, {1280, 720}, std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FitIntoQuadrant(c.source, c.output), c.fitted)
            << c.source.width() << "x" << c.source.height();
        EXPECT_EQ(FitIntoQuadrantEven(c.source, c.output), c.even)
            << c.source.width() << "x" << c.source.height();
    }
    EXPECT_EQ(CentreInQuadrant({202, 360}, {1280, 720}), QPoint(219, 0));
    EXPECT_EQ(CentreInQuadrant({640, 358}, {1282, 720}), QPoint(0, 1));    // 0.5 rounds to 0
    EXPECT_EQ(CentreInQuadrant({360, 357}, {1280, 720}), QPoint(140, 2));  // 1.5 rounds to 2
}

TEST(QuadrantFit, CanvasOfAQuadrantAndTheAutomaticSize)
{
    EXPECT_EQ(QuadrantCanvasSize({1282, 720}), QSize(641, 360));
    EXPECT_EQ(QuadrantCanvasSize({1281, 723}), QSize(640, 362));
    RunSettings settings;
    EXPECT_EQ(PictureModeOutputSize(settings), QSize(1920, 1080));
    settings.outputWidth = 1280;
    settings.outputHeight = 720;
    EXPECT_EQ(PictureModeOutputSize(settings), QSize(1280, 720));
}

TEST(FrameSeries, HoldsAPictureWithLinksAndStartsAfreshOnReset)
{
    QTemporaryDir folder;
    const QString painted = folder.filePath("Bmp.jpg");
    QFile file(painted);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("jpeg");
    file.close();

    FrameSeries frames(folder.filePath("Images"));
    ASSERT_TRUE(frames.reset());
    ASSERT_TRUE(frames.append(painted, 3));
    EXPECT_EQ(frames.frameCount(), 3);
    EXPECT_EQ(frames.framePath(3), folder.filePath("Images/000003.jpg"));
    EXPECT_EQ(std::filesystem::hard_link_count(QFile::encodeName(painted).toStdString()), 4u);

    ASSERT_TRUE(frames.reset());
    EXPECT_EQ(frames.frameCount(), 0);
    EXPECT_TRUE(QDir(frames.folder()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(frames.pattern(), folder.filePath("Images/%06d.jpg"));
}
