#include "app/library/CombinationCount.h"
#include "app/library/SourceTable.h"

#include <gtest/gtest.h>

TEST(CombinationCount, ChoosesFourOfN)
{
    EXPECT_EQ(CombinationCount(4, 4), 1);
    EXPECT_EQ(CombinationCount(3, 4), 0);
    EXPECT_EQ(CombinationCount(0, 4), 0);
    EXPECT_EQ(CombinationCount(10, 4), 210);
    // 216·215·214·213 = 2 116 828 080 still fits in 32 bits.
    EXPECT_EQ(CombinationCount(216, 4), 88201170);
    EXPECT_EQ(CombinationCount(217, 4), 999999999);
    EXPECT_EQ(CombinationCount(5000, 4), 999999999);
}

TEST(SourceTable, CellsAndPathsOfEntries)
{
    SourceTable table(SourceKind::Video, {{"a.mp4", "/media/clips", "320", "240", "4.5"},
                                          {"b c.mp4", "/", "640", "480", "10"}});
    EXPECT_EQ(table.entryCount(), 2);
    EXPECT_EQ(table.cell(1, SourceTable::Duration), "4.5");
    EXPECT_EQ(table.cell(3, SourceTable::Name), "");
    EXPECT_EQ(table.cell(0, SourceTable::Name), "");
    EXPECT_EQ(table.fullPath(1), "/media/clips/a.mp4");
    EXPECT_EQ(table.fullPath(2), "/b c.mp4");
    EXPECT_EQ(SourceTable::headers(SourceKind::Audio),
              (QStringList{"音频文件名", "路径", "时长/秒"}));
    EXPECT_EQ(SourceTable::columnWidthsTwips(SourceKind::Picture), (QVector<int>{2000, 1200, 700, 700}));
}
