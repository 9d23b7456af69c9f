#include "WindowHarness.h"
#include "app/window/ClickableLabel.h"
#include "app/window/SourceListOps.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SourceListOpsTest : public ::testing::Test {
protected:
    SourceListOps &lists() { return h.window->lists(); }
    void addVideos(int count)
    {
        for (int i = 1; i <= count; ++i)
            lists().AppendRow(SourceKind::Video, {QStringLiteral("v%1.mp4").arg(i), "/m", "320", "240", "10"});
    }
    void addPictures(int count)
    {
        for (int i = 1; i <= count; ++i)
            lists().AppendRow(SourceKind::Picture, {QStringLiteral("p%1.jpg").arg(i), "/m", "640", "480"});
    }
    QPoint cellCenter(SourceGrid *grid, int entry)
    {
        return grid->visualRect(grid->model()->index(entry - 1, 0)).center();
    }

    WindowHarness h;
};

TEST_F(SourceListOpsTest, GridsStartEmptyWithHeadersCountsAndTips)
{
    EXPECT_EQ(h.c().MSFV->entryCount(), 0);
    EXPECT_EQ(h.c().MSFV->horizontalHeaderItem(4)->text(), "时长/秒");
    EXPECT_EQ(h.c().MSFP->horizontalHeaderItem(0)->text(), "图片文件名");
    EXPECT_EQ(h.c().MSFV->columnWidth(0), 4000 * 96 / 1440);
    EXPECT_EQ(h.c().MSFA->toolTip(), "右键清空列表；双击删除当前行");
    EXPECT_EQ(h.find<QLabel>("LVideoNum")->text(), "视频文件列表：0");
    EXPECT_EQ(h.find<QLabel>("LAudioNum")->text(), "音频文件列表：0");
    EXPECT_EQ(h.find<QLabel>("LSubNum")->text(), "图片文件列表：0");
    EXPECT_EQ(h.c().LNewAu->text(), SourceListOps::fixedAudioHint());
    EXPECT_EQ(h.c().LAuLen->text(), "0秒");
    EXPECT_EQ(h.window->state().selectedVideoRow, -1);
}

TEST_F(SourceListOpsTest, AppendRowShowsTheRowAndCountsIt)
{
    addVideos(3);
    lists().AppendRow(SourceKind::Audio, {"a.mp3", "/m", "5"});
    EXPECT_EQ(h.c().MSFV->entryCount(), 3);
    EXPECT_EQ(h.c().MSFV->currentEntry(), 3);
    EXPECT_EQ(h.c().MSFV->entryCells(2), (QStringList{"v2.mp4", "/m", "320", "240", "10"}));
    EXPECT_EQ(h.c().LVideoNum->text(), "视频文件列表：3");
    EXPECT_EQ(h.window->state().maxListCount, 3);
    EXPECT_EQ(h.c().StbPanel[2]->text(), "最大文件数：3");
}

TEST_F(SourceListOpsTest, DoubleClickDeletesTheCurrentRow)
{
    addVideos(3);
    SourceGrid *grid = h.c().MSFV;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 2));
    EXPECT_EQ(h.window->state().selectedVideoRow, 2);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 2));
    EXPECT_EQ(grid->entryCount(), 2);
    EXPECT_EQ(grid->entryCells(2).value(0), "v3.mp4");
    EXPECT_EQ(h.c().LVideoNum->text(), "视频文件列表：2");
    EXPECT_EQ(h.window->state().selectedVideoRow, -1);
}

TEST_F(SourceListOpsTest, DeletingTheOnlyRowEmptiesTheList)
{
    addVideos(1);
    lists().DeleteRow(SourceKind::Video);
    EXPECT_EQ(h.c().MSFV->entryCount(), 0);
    EXPECT_EQ(h.c().LVideoNum->text(), "视频文件列表：0");
    // Deleting from an empty list does nothing.
    lists().DeleteRow(SourceKind::Video);
    EXPECT_EQ(h.c().MSFV->entryCount(), 0);
}

TEST_F(SourceListOpsTest, RightClickAsksBeforeClearing)
{
    addVideos(4);
    SourceGrid *grid = h.c().MSFV;
    h.dialogs.answers.enqueue(DialogAnswer::No);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCenter(grid, 1));
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const MessageRequest &ask = h.dialogs.messages.first();
    EXPECT_EQ(ask.text, "清空列表？");
    EXPECT_EQ(ask.icon, MessageIcon::Warning);
    EXPECT_EQ(ask.buttons, MessageButtons::YesNo);
    EXPECT_EQ(ask.defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(grid->entryCount(), 4);

    h.dialogs.answers.enqueue(DialogAnswer::Yes);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCenter(grid, 1));
    EXPECT_EQ(grid->entryCount(), 0);
    EXPECT_EQ(h.c().LVideoNum->text(), "视频文件列表：0");
}

TEST_F(SourceListOpsTest, RightClickOnAnEmptyListAsksNothing)
{
    QTest::mouseClick(h.c().MSFA->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST_F(SourceListOpsTest, ClickingAnAudioRowMakesItTheFixedAudio)
{
    lists().AppendRow(SourceKind::Audio, {"a.mp3", "/music", "5.042"});
    lists().AppendRow(SourceKind::Audio, {"b.wav", "/music", "3.3"});
    SourceGrid *grid = h.c().MSFA;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 1));
    EXPECT_EQ(h.window->state().selectedAudioRow, 1);
    EXPECT_EQ(h.c().LNewAu->text(), "/music/a.mp3");
    EXPECT_EQ(h.c().LAuLen->text(), "5.042秒");
    // Deleting the row leaves the fixed audio as it was.
    lists().DeleteRow(SourceKind::Audio);
    EXPECT_EQ(h.c().LNewAu->text(), "/music/a.mp3");
}

TEST_F(SourceListOpsTest, ClickingAnEmptyAudioListLeavesTheFixedAudioAlone)
{
    h.window->state().selectedAudioRow = 5;
    QTest::mouseClick(h.c().MSFA->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(h.window->state().selectedAudioRow, -1);
    EXPECT_EQ(h.c().LNewAu->text(), SourceListOps::fixedAudioHint());
}

TEST_F(SourceListOpsTest, ChoosingTheFixedAudioProbesItsDuration)
{
    h.prober.durations.insert("/music/long.mp3", 125.5);
    h.dialogs.fileChoices.enqueue({"/music/long.mp3"});
    lists().ChooseFixedAudio();
    ASSERT_EQ(h.dialogs.fileRequests.size(), 1);
    EXPECT_EQ(h.dialogs.fileRequests.first().title, "添加音频文件");
    EXPECT_EQ(h.dialogs.fileRequests.first().filter,
              "常用音频|*.mp3;*.mp2;*.wav;*.wma;*.m4a;*.acc;*.wav;*.aac;*.flac;*.ogg;*.opus");
    EXPECT_EQ(h.dialogs.fileRequests.first().selection, FileSelection::Single);
    EXPECT_EQ(h.c().LNewAu->text(), "/music/long.mp3");
    EXPECT_EQ(h.c().LAuLen->text(), "125.5秒");
    EXPECT_EQ(h.c().MSFA->entryCount(), 0);

    // A cancelled dialog changes nothing; an unreadable file shows only the unit.
    lists().ChooseFixedAudio();
    EXPECT_EQ(h.c().LNewAu->text(), "/music/long.mp3");
    h.dialogs.fileChoices.enqueue({"/nowhere/broken.mp3"});
    lists().ChooseFixedAudio();
    EXPECT_EQ(h.c().LNewAu->text(), "/nowhere/broken.mp3");
    EXPECT_EQ(h.c().LAuLen->text(), "秒");
}

TEST_F(SourceListOpsTest, PictureRangeFollowsLengthAndPictureCount)
{
    h.c().TLen->setText("30");
    addPictures(41);
    h.c().MSFP->setCurrentEntry(41);
    lists().DeleteRow(SourceKind::Picture);  // 40 left
    EXPECT_EQ(h.c().TPics->text(), "30-60");
    while (h.c().MSFP->entryCount() > 12)
        h.c().MSFP->removeEntry(1);
    h.c().MSFP->appendEntry({"p.jpg", "/m", "1", "1"});
    h.c().MSFP->setCurrentEntry(13);
    lists().DeleteRow(SourceKind::Picture);  // 12 left
    EXPECT_EQ(h.c().TPics->text(), "12-30");
}

TEST_F(SourceListOpsTest, RewindSelectsTheFirstRowsAndForgetsSelections)
{
    addVideos(30);
    addPictures(3);
    h.window->state().selectedVideoRow = 7;
    lists().RewindLists();
    EXPECT_EQ(h.c().MSFV->currentEntry(), 1);
    EXPECT_EQ(h.c().MSFV->topEntry(), 1);
    EXPECT_EQ(h.window->state().selectedVideoRow, -1);
    EXPECT_EQ(h.window->state().selectedPictureRow, -1);
}

TEST_F(SourceListOpsTest, TableViewReadsTheGridRows)
{
    addVideos(2);
    const SourceTable table = h.c().MSFV->table();
    ASSERT_EQ(table.entryCount(), 2);
    EXPECT_EQ(table.fullPath(2), "/m/v2.mp4");
    EXPECT_EQ(table.cell(1, SourceTable::Width), "320");
}

}  // namespace
