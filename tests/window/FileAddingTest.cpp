// Adding files and loading folders through the buttons, with scripted
// dialogs and real media made by ffmpeg.

#include "FixedRandom.h"
#include "MediaFactory.h"
#include "ScriptedDialogs.h"
#include "WindowHarness.h"
#include "ScriptedProber.h"
#include "app/library/MediaPatterns.h"
#include "app/window/ClickableLabel.h"
#include "app/window/FFmain.h"
#include "app/window/FileAdding.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// A scripted prober that lets a test act while a file is being probed, that
// is in the middle of an add, between two files.
class HookedProber : public ScriptedProber {
public:
    std::optional<double> probeDuration(const QString &path) override
    {
        if (beforeDuration)
            beforeDuration(path);
        return ScriptedProber::probeDuration(path);
    }
    std::optional<QSize> probeFrameSize(const QString &path) override
    {
        if (beforeSize)
            beforeSize(path);
        return ScriptedProber::probeFrameSize(path);
    }

    std::function<void(const QString &)> beforeDuration;
    std::function<void(const QString &)> beforeSize;
};

using AddingHarness = BasicWindowHarness<HookedProber>;

// What the window shows at the event pump that follows a probe.
struct PumpSnapshot {
    QString status;
    int progress = -1;
    bool frame1Enabled = false;
    bool frame2Enabled = false;
    bool ownButtonEnabled = false;
    bool stopVisible = false;
};

enum Target { VideoTarget = 0, AudioTarget = 1, PictureTarget = 2, OutputTarget = 3 };

class FileAddingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_media = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_media->isValid());
        ASSERT_TRUE(MediaFactory::makeVideo(smallVideo(), 64, 48, 0.4));
        ASSERT_TRUE(MediaFactory::makeVideo(wideVideo(), 80, 60, 0.4));
        ASSERT_TRUE(MediaFactory::makeAudio(audioClip(), 0.5));
        ASSERT_TRUE(MediaFactory::makePicture(picture(), 32, 24));
    }
    static void TearDownTestSuite() { s_media.reset(); }

    static QString smallVideo() { return s_media->path() + QStringLiteral("/small.mp4"); }
    static QString wideVideo() { return s_media->path() + QStringLiteral("/wide.mp4"); }
    static QString audioClip() { return s_media->path() + QStringLiteral("/tone.wav"); }
    static QString picture() { return s_media->path() + QStringLiteral("/still.png"); }

    void SetUp() override { ASSERT_TRUE(h.folder.isValid()); }

    // A copy of a made file under the test's own folder; returns its path.
    QString place(const QString &source, const QString &relativePath)
    {
        const QString path = h.folder.path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::copy(source, path)) << qPrintable(path);
        return path;
    }
    QString placeText(const QString &relativePath, const QByteArray &content)
    {
        const QString path = h.folder.path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QString pathOf(const QString &relativePath) const { return h.folder.path() + QLatin1Char('/') + relativePath; }

    void target(Target index) { h.c().CmbObject->setCurrentIndex(int(index)); }

    // Chooses a folder through the folder button, as the user would.
    void chooseFolder(Target index, const QString &folder)
    {
        target(index);
        h.dialogs.folderChoices.enqueue(folder);
        h.c().CmdPath->click();
    }

    void setSubfolders(bool included) { h.c().ChSub->setChecked(included); }

    void tickPreciseQuad(bool ticked)
    {
        h.dialogs.answers.enqueue(DialogAnswer::Yes);  // the rule may ask first
        h.c().ChAcc->setChecked(ticked);
        h.dialogs.clear();
        ASSERT_EQ(h.c().ChAcc->isChecked(), ticked);
    }

    // Records the window's state at the event pump after every probed file.
    void snapshotAfterEachFile(QPushButton *ownButton)
    {
        auto record = [this, ownButton](const QString &) {
            QTimer::singleShot(0, h.window.get(), [this, ownButton] {
                snapshots.append({h.c().StbPanel[3]->text(), h.c().PB->value(), h.c().Frame1->isEnabled(),
                                  h.c().Frame2->isEnabled(), ownButton->isEnabled(), h.c().CmdStop->isVisible()});
            });
        };
        // Pictures are only sized, everything else has its length probed.
        if (h.c().CmbObject->currentIndex() == PictureTarget)
            h.prober.beforeSize = record;
        else
            h.prober.beforeDuration = record;
    }

    QStringList column(SourceGrid *grid, int col) const
    {
        QStringList cells;
        for (int entry = 1; entry <= grid->entryCount(); ++entry)
            cells.append(grid->entryCells(entry).value(col));
        return cells;
    }

    void expectIdleWindow()
    {
        EXPECT_TRUE(h.c().Frame1->isEnabled());
        EXPECT_TRUE(h.c().Frame2->isEnabled());
        EXPECT_TRUE(h.c().CmdAddFiles->isEnabled());
        EXPECT_TRUE(h.c().CmdReadFiles->isEnabled());
        EXPECT_FALSE(h.c().CmdStop->isVisible());
        EXPECT_FALSE(h.window->state().stopRequested);
        EXPECT_EQ(h.c().PB->value(), 0);
        EXPECT_EQ(h.c().StbPanel[3]->text(), QStringLiteral("状态：文件添加完毕！"));
    }

    static std::unique_ptr<QTemporaryDir> s_media;
    AddingHarness h;
    QList<PumpSnapshot> snapshots;
};

std::unique_ptr<QTemporaryDir> FileAddingTest::s_media;

const QString kWarning = QStringLiteral("(一次性不宜加载几千个，有可能导出系统溢出，可分批添加或者自动加载模式)");

}  // namespace

// ---- adding files ------------------------------------------------------------

TEST_F(FileAddingTest, OneFileShowsOneOfOneAndAFullBar)
{
    const QString clip = place(smallVideo(), QStringLiteral("in/clip.mp4"));
    target(VideoTarget);
    snapshotAfterEachFile(h.c().CmdAddFiles);
    h.dialogs.fileChoices.enqueue({clip});
    h.c().CmdAddFiles->click();

    ASSERT_EQ(snapshots.size(), 1);
    EXPECT_EQ(snapshots[0].status, QStringLiteral("状态：文件添加中...1/1"));
    EXPECT_EQ(snapshots[0].progress, 100);
    // One file is no long job: the window stays as it is.
    EXPECT_TRUE(snapshots[0].frame1Enabled);
    EXPECT_TRUE(snapshots[0].ownButtonEnabled);
    EXPECT_FALSE(snapshots[0].stopVisible);

    ASSERT_EQ(h.c().MSFV->entryCount(), 1);
    const QStringList row = h.c().MSFV->entryCells(1);
    EXPECT_EQ(row.value(0), QStringLiteral("clip.mp4"));
    EXPECT_EQ(row.value(1), pathOf(QStringLiteral("in")));
    EXPECT_EQ(row.value(2), QStringLiteral("64"));
    EXPECT_EQ(row.value(3), QStringLiteral("48"));
    EXPECT_NEAR(row.value(4).toDouble(), 0.4, 0.05);
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("文件添加完毕！")});
    EXPECT_EQ(h.dialogs.messages.last().icon, MessageIcon::Information);
    EXPECT_EQ(h.c().LVideoNum->text(), QStringLiteral("视频文件列表：1"));
    EXPECT_EQ(h.c().StbPanel[2]->text(), QStringLiteral("最大文件数：1"));
    expectIdleWindow();
}

TEST_F(FileAddingTest, SeveralFilesFillTheRowsInDialogOrder)
{
    const QString c = place(wideVideo(), QStringLiteral("in/c.mp4"));
    const QString a = place(smallVideo(), QStringLiteral("in/a.mp4"));
    const QString b = place(smallVideo(), QStringLiteral("other/b.mp4"));
    target(VideoTarget);
    snapshotAfterEachFile(h.c().CmdAddFiles);
    h.dialogs.fileChoices.enqueue({c, a, b});
    h.c().CmdAddFiles->click();

    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"c.mp4", "a.mp4", "b.mp4"}));
    EXPECT_EQ(column(h.c().MSFV, 1), (QStringList{pathOf("in"), pathOf("in"), pathOf("other")}));
    EXPECT_EQ(column(h.c().MSFV, 2), (QStringList{"80", "64", "64"}));
    EXPECT_EQ(column(h.c().MSFV, 3), (QStringList{"60", "48", "48"}));

    ASSERT_EQ(snapshots.size(), 3);
    const QString expectedStatus[] = {"状态：文件添加中...1/3", "状态：文件添加中...2/3", "状态：文件添加中...3/3"};
    const int expectedProgress[] = {33, 66, 100};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(snapshots[i].status, expectedStatus[i]);
        EXPECT_EQ(snapshots[i].progress, expectedProgress[i]);
        EXPECT_FALSE(snapshots[i].frame1Enabled);
        EXPECT_FALSE(snapshots[i].frame2Enabled);
        EXPECT_FALSE(snapshots[i].ownButtonEnabled);
        EXPECT_TRUE(snapshots[i].stopVisible);
    }
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("文件添加完毕！")});
    expectIdleWindow();
    // Rewound: the first row current, nothing selected by the user.
    EXPECT_EQ(h.c().MSFV->currentEntry(), 1);
    EXPECT_EQ(h.window->state().selectedVideoRow, -1);
}

TEST_F(FileAddingTest, ChoosingTheSameFileTwiceGivesTwoRows)
{
    const QString clip = place(smallVideo(), QStringLiteral("in/clip.mp4"));
    target(VideoTarget);
    h.dialogs.fileChoices.enqueue({clip, clip});
    h.c().CmdAddFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"clip.mp4", "clip.mp4"}));
}

TEST_F(FileAddingTest, DialogTitleAndFilterFollowTheTarget)
{
    const QString statusBefore = h.c().StbPanel[3]->text();
    for (Target t : {VideoTarget, AudioTarget, PictureTarget}) {
        target(t);
        h.c().CmdAddFiles->click();  // cancelled: no file chosen
    }
    ASSERT_EQ(h.dialogs.fileRequests.size(), 3);
    EXPECT_EQ(h.dialogs.fileRequests[0].title, QStringLiteral("添加视频文件") + kWarning);
    EXPECT_EQ(h.dialogs.fileRequests[0].filter,
              QStringLiteral("常用视频|*.mpeg;*.wmv;*.divx;*.dat;*.mpx;*.asf;*.avi;*.mov;*.mpg;*.rm;*.rmvb;*.mp4;"
                             "*.mkv;*.ogg;*.vob;*.mka;*.mks;*.ogm;*.mpgv;*.mpv;*.m1v;*.m2v;*.qt;*.ra;*.ifo;*.dts;"
                             "*.ape;*.mac;*.au;*.iff;*.svx8;*.sv16;*.paf;*.sd2;*.irca;*.w64;*.mat;*.pvf;*.xi;"
                             "*.sds;*.avr;*.flv;*.webm;*.m4v;*.ts;*.mts;*.m2ts;*.3gp|"
                             "其他文件(慎用，可能出错或无结果)|*.*"));
    EXPECT_EQ(h.dialogs.fileRequests[1].title, QStringLiteral("添加音频文件") + kWarning);
    EXPECT_EQ(h.dialogs.fileRequests[1].filter,
              QStringLiteral("常用音频|*.mp3;*.mp2;*.wav;*.wma;*.m4a;*.acc;*.wav;*.aac;*.flac;*.ogg;*.opus"));
    EXPECT_EQ(h.dialogs.fileRequests[2].title, QStringLiteral("添加图片文件") + kWarning);
    EXPECT_EQ(h.dialogs.fileRequests[2].filter,
              QStringLiteral("常用图片|*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.bmp;*.webp"));
    for (const FileDialogRequest &request : h.dialogs.fileRequests)
        EXPECT_EQ(request.selection, FileSelection::Multiple);
    EXPECT_EQ(h.window->state().videoPatterns, MediaPatterns::videoPatternText());
    // A cancelled dialog changes nothing.
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(h.c().StbPanel[3]->text(), statusBefore);
    EXPECT_EQ(h.c().MSFV->entryCount() + h.c().MSFA->entryCount() + h.c().MSFP->entryCount(), 0);
}

TEST_F(FileAddingTest, TheOutputTargetOnlyBeeps)
{
    target(OutputTarget);
    h.window->adding().AddFiles();  // the button itself is off for this target
    EXPECT_EQ(h.dialogs.beeps, 1);
    EXPECT_TRUE(h.dialogs.fileRequests.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST_F(FileAddingTest, PreciseQuadRefusesThreeHundredSecondsAndTakesLess)
{
    const QString tooLong = place(smallVideo(), QStringLiteral("in/long.mp4"));
    const QString justUnder = place(smallVideo(), QStringLiteral("in/under.mp4"));
    h.prober.durations.insert(tooLong, 300.0);
    h.prober.durations.insert(justUnder, 299.9);
    target(VideoTarget);
    tickPreciseQuad(true);
    h.dialogs.fileChoices.enqueue({tooLong, justUnder});
    h.c().CmdAddFiles->click();

    ASSERT_EQ(h.c().MSFV->entryCount(), 1);
    EXPECT_EQ(h.c().MSFV->entryCells(1),
              (QStringList{"under.mp4", pathOf("in"), "64", "48", "299.9"}));
    // A refusal by the rule is no unreadable file.
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("文件添加完毕！")});

    tickPreciseQuad(false);
    h.dialogs.fileChoices.enqueue({tooLong});
    h.c().CmdAddFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 4), (QStringList{"299.9", "300"}));
}

TEST_F(FileAddingTest, AudioFilesGetThreeCellsAndTheFirstBecomesTheFixedAudio)
{
    const QString first = place(audioClip(), QStringLiteral("sound/one.wav"));
    const QString second = place(audioClip(), QStringLiteral("sound/two.wav"));
    h.prober.durations.insert(second, 61.25);
    target(AudioTarget);
    h.dialogs.fileChoices.enqueue({first, second});
    h.c().CmdAddFiles->click();

    ASSERT_EQ(h.c().MSFA->entryCount(), 2);
    const QStringList row = h.c().MSFA->entryCells(1);
    EXPECT_EQ(row.value(0), QStringLiteral("one.wav"));
    EXPECT_EQ(row.value(1), pathOf("sound"));
    EXPECT_NEAR(row.value(2).toDouble(), 0.5, 0.05);
    EXPECT_EQ(h.c().MSFA->entryCells(2), (QStringList{"two.wav", pathOf("sound"), "61.25"}));
    EXPECT_EQ(h.c().LNewAu->text(), first);
    EXPECT_EQ(h.c().LAuLen->text(), row.value(2) + QStringLiteral("秒"));
    EXPECT_EQ(h.window->state().selectedAudioRow, 1);
    EXPECT_EQ(h.c().LAudioNum->text(), QStringLiteral("音频文件列表：2"));
}

TEST_F(FileAddingTest, PicturesGetTheirSizeAndTheRangeFollows)
{
    h.c().TLen->setText(QStringLiteral("30"));
    const QString p1 = place(picture(), QStringLiteral("pics/p1.png"));
    const QString p2 = place(picture(), QStringLiteral("pics/p2.png"));
    target(PictureTarget);
    h.dialogs.fileChoices.enqueue({p1, p2});
    h.c().CmdAddFiles->click();

    EXPECT_EQ(h.c().MSFP->entryCells(1), (QStringList{"p1.png", pathOf("pics"), "32", "24"}));
    EXPECT_EQ(h.c().MSFP->entryCount(), 2);
    EXPECT_EQ(h.c().TPics->text(), QStringLiteral("2-30"));
    EXPECT_EQ(h.prober.durationProbes, 0);  // a picture has no length to read
}

TEST_F(FileAddingTest, UnprobeableFilesAreSkippedAndCounted)
{
    const QString text = placeText(QStringLiteral("in/notes.mp4"), "this is no video\n");
    const QString empty = placeText(QStringLiteral("in/empty.mp4"), QByteArray());
    const QString good = place(smallVideo(), QStringLiteral("in/good.mp4"));
    target(VideoTarget);
    h.dialogs.fileChoices.enqueue({text, good, empty});
    h.c().CmdAddFiles->click();

    EXPECT_EQ(column(h.c().MSFV, 0), QStringList{QStringLiteral("good.mp4")});
    EXPECT_EQ(h.dialogs.messageTexts(),
              QStringList{QStringLiteral("文件添加完毕！\r\n有2个文件无法识别，已跳过！")});
}

TEST_F(FileAddingTest, AnAudioFileWithoutALengthIsSkippedAndCounted)
{
    const QString good = place(audioClip(), QStringLiteral("sound/good.wav"));
    const QString broken = placeText(QStringLiteral("sound/broken.wav"), "RIFF, but no sound\n");
    const QString picture = place(FileAddingTest::picture(), QStringLiteral("sound/still.wav"));
    target(AudioTarget);
    h.dialogs.fileChoices.enqueue({good, broken, picture});
    h.c().CmdAddFiles->click();
    EXPECT_EQ(column(h.c().MSFA, 0), QStringList{QStringLiteral("good.wav")});
    EXPECT_EQ(h.dialogs.messageTexts(),
              QStringList{QStringLiteral("文件添加完毕！\r\n有2个文件无法识别，已跳过！")});
}

TEST_F(FileAddingTest, AVideoWithoutAFrameSizeIsSkipped)
{
    const QString sound = place(audioClip(), QStringLiteral("in/sound.wav"));
    target(VideoTarget);
    h.dialogs.fileChoices.enqueue({sound});
    h.c().CmdAddFiles->click();
    EXPECT_EQ(h.c().MSFV->entryCount(), 0);
    EXPECT_EQ(h.dialogs.messageTexts(),
              QStringList{QStringLiteral("文件添加完毕！\r\n有1个文件无法识别，已跳过！")});
}

TEST_F(FileAddingTest, StopDuringAddEndsAfterTheCurrentFile)
{
    QStringList files;
    for (int i = 0; i < 4; ++i)
        files.append(place(smallVideo(), QStringLiteral("in/%1.mp4").arg(i)));
    int probes = 0;
    h.prober.beforeDuration = [&](const QString &) {
        if (++probes == 2)
            h.window->state().stopRequested = true;  // a confirmed click on the stop button
    };
    target(VideoTarget);
    h.dialogs.fileChoices.enqueue(files);
    h.c().CmdAddFiles->click();

    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"0.mp4", "1.mp4"}));
    EXPECT_EQ(probes, 2);
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("文件添加完毕！")});
    expectIdleWindow();
}

// ---- choosing a folder ---------------------------------------------------------

TEST_F(FileAddingTest, ChooseFolderTitlesAndTheNewFolderButton)
{
    const QString titles[] = {"指定视频目录", "指定音频目录", "指定图片目录", "指定输出目录"};
    for (Target t : {VideoTarget, AudioTarget, PictureTarget, OutputTarget}) {
        target(t);
        h.c().CmdPath->click();
    }
    ASSERT_EQ(h.dialogs.folderRequests.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(h.dialogs.folderRequests[i].title, titles[i]);
        EXPECT_EQ(h.dialogs.folderRequests[i].initialFolder, QStringLiteral("/"));
        EXPECT_EQ(h.dialogs.folderRequests[i].newFolderButton,
                  i == 3 ? NewFolderButton::Shown : NewFolderButton::Hidden);
    }
    // Cancelled every time: the labels keep their captions.
    EXPECT_EQ(h.c().LVideo->text(), QStringLiteral("视频目录来源未指定"));
    EXPECT_EQ(h.c().LAudio->text(), QStringLiteral("音频目录来源未指定"));
    EXPECT_EQ(h.c().LSubs->text(), QStringLiteral("字幕目录来源未指定"));
    EXPECT_EQ(h.c().LOutDir->text(), QStringLiteral("输出目录未指定"));
}

TEST_F(FileAddingTest, ChosenFoldersEndInOneSeparator)
{
    QDir().mkpath(pathOf("videos/clips"));
    QDir().mkpath(pathOf("out"));
    chooseFolder(VideoTarget, pathOf("videos//clips"));
    EXPECT_EQ(h.c().LVideo->text(), pathOf("videos/clips/"));
    chooseFolder(AudioTarget, pathOf("videos/"));
    EXPECT_EQ(h.c().LAudio->text(), pathOf("videos/"));
    chooseFolder(OutputTarget, pathOf("out"));
    EXPECT_EQ(h.c().LOutDir->text(), pathOf("out/"));
    chooseFolder(PictureTarget, QStringLiteral("/"));
    EXPECT_EQ(h.c().LSubs->text(), QStringLiteral("/"));
}

TEST_F(FileAddingTest, AFolderThatDoesNotExistBecomesTheDataFolder)
{
    chooseFolder(OutputTarget, pathOf("gone"));
    EXPECT_EQ(h.c().LOutDir->text(), h.window->state().dataFolder);
    EXPECT_EQ(h.window->adding().BrowseForFolder(QStringLiteral("指定输出目录"), QStringLiteral("/"),
                                                 NewFolderButton::Shown),
              QString());  // nothing scripted: cancelled
}

// ---- loading a folder ------------------------------------------------------------

TEST_F(FileAddingTest, LoadsDepthFirstWithSubfolders)
{
    place(smallVideo(), "tree/b.mp4");
    place(smallVideo(), "tree/A.mp4");
    place(wideVideo(), "tree/sub2/c.mp4");
    place(smallVideo(), "tree/sub1/z.mp4");
    place(smallVideo(), "tree/sub1/d.mp4");
    place(wideVideo(), "tree/sub1/deep/e.mp4");
    placeText("tree/sub1/readme.txt", "notes");
    chooseFolder(VideoTarget, pathOf("tree"));
    setSubfolders(true);
    snapshotAfterEachFile(h.c().CmdReadFiles);
    h.c().CmdReadFiles->click();

    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"A.mp4", "b.mp4", "d.mp4", "z.mp4", "e.mp4", "c.mp4"}));
    EXPECT_EQ(column(h.c().MSFV, 1), (QStringList{pathOf("tree"), pathOf("tree"), pathOf("tree/sub1"),
                                                  pathOf("tree/sub1"), pathOf("tree/sub1/deep"),
                                                  pathOf("tree/sub2")}));
    EXPECT_EQ(column(h.c().MSFV, 2), (QStringList{"64", "64", "64", "64", "80", "80"}));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
    EXPECT_EQ(h.dialogs.messages.last().icon, MessageIcon::Information);

    ASSERT_EQ(snapshots.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(snapshots[i].status, QStringLiteral("状态：文件添加中...%1").arg(i + 1));
        EXPECT_FALSE(snapshots[i].frame1Enabled);
        EXPECT_FALSE(snapshots[i].frame2Enabled);
        EXPECT_FALSE(snapshots[i].ownButtonEnabled);
        EXPECT_TRUE(snapshots[i].stopVisible);
    }
    expectIdleWindow();
    EXPECT_EQ(h.c().LVideoNum->text(), QStringLiteral("视频文件列表：6"));
    EXPECT_EQ(h.c().StbPanel[2]->text(), QStringLiteral("最大文件数：6"));
    EXPECT_EQ(h.c().MSFV->currentEntry(), 1);
}

TEST_F(FileAddingTest, LoadsOnlyTheTopLevelWithoutSubfolders)
{
    place(smallVideo(), "tree/b.mp4");
    place(smallVideo(), "tree/A.mp4");
    place(smallVideo(), "tree/sub1/d.mp4");
    chooseFolder(VideoTarget, pathOf("tree"));
    setSubfolders(false);
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"A.mp4", "b.mp4"}));
}

TEST_F(FileAddingTest, MatchesTheRealExtensionWithoutRegardToCase)
{
    place(smallVideo(), "mixed/clip.MP4");
    place(smallVideo(), "mixed/x.m");
    place(smallVideo(), "mixed/noextension");
    place(smallVideo(), "mixed/clip.mp4.part");
    chooseFolder(VideoTarget, pathOf("mixed"));
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), QStringList{QStringLiteral("clip.MP4")});
    // Files of other types are no failures.
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
}

TEST_F(FileAddingTest, AnEmptyPictureFolderSetsTheRangeFromTheLength)
{
    h.c().TLen->setText(QStringLiteral("30"));
    h.c().TPics->setText(QStringLiteral("1-1000"));
    placeText("nopics/readme.txt", "no pictures here");
    place(smallVideo(), "nopics/clip.mp4");
    chooseFolder(PictureTarget, pathOf("nopics"));
    h.c().CmdReadFiles->click();
    EXPECT_EQ(h.c().MSFP->entryCount(), 0);
    EXPECT_EQ(h.c().TPics->text(), QStringLiteral("0-30"));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
}

TEST_F(FileAddingTest, LoadingAudioMakesTheFirstRowTheFixedAudio)
{
    place(audioClip(), "sounds/b.wav");
    place(audioClip(), "sounds/a.WAV");
    place(smallVideo(), "sounds/c.mp4");
    chooseFolder(AudioTarget, pathOf("sounds"));
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFA, 0), (QStringList{"a.WAV", "b.wav"}));
    EXPECT_EQ(h.c().LNewAu->text(), pathOf("sounds/a.WAV"));
}

TEST_F(FileAddingTest, StopDuringALoadEndsItWithTheCompletionMessage)
{
    place(smallVideo(), "tree/a.mp4");
    place(smallVideo(), "tree/b.mp4");
    place(smallVideo(), "tree/c.mp4");
    place(smallVideo(), "tree/sub/d.mp4");
    int probes = 0;
    h.prober.beforeDuration = [&](const QString &) {
        if (++probes == 2)
            h.window->state().stopRequested = true;
    };
    chooseFolder(VideoTarget, pathOf("tree"));
    setSubfolders(true);
    h.c().CmdReadFiles->click();

    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(probes, 2);
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
    expectIdleWindow();
}

TEST_F(FileAddingTest, AStopBeforeTheSubfoldersKeepsOutOfThem)
{
    place(smallVideo(), "tree/a.mp4");
    place(smallVideo(), "tree/sub/b.mp4");
    h.prober.beforeDuration = [&](const QString &) { h.window->state().stopRequested = true; };
    chooseFolder(VideoTarget, pathOf("tree"));
    setSubfolders(true);
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), QStringList{QStringLiteral("a.mp4")});
}

TEST_F(FileAddingTest, ALinkLoopEndsTheWalk)
{
    place(smallVideo(), "loop/a.mp4");
    place(smallVideo(), "loop/sub/b.mp4");
    ASSERT_TRUE(QFile::link(pathOf("loop"), pathOf("loop/sub/back")));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), pathOf("loop/self")));
    ASSERT_TRUE(QFile::link(pathOf("loop/a.mp4"), pathOf("loop/sub/alias.mp4")));
    // Followed, the links would make the walk endless: it is stopped after
    // far more files than there are, and fails.
    int probes = 0;
    h.prober.beforeDuration = [&](const QString &) {
        if (++probes == 50)
            h.window->state().stopRequested = true;
    };
    chooseFolder(VideoTarget, pathOf("loop"));
    setSubfolders(true);
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"a.mp4", "alias.mp4", "b.mp4"}));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
}

TEST_F(FileAddingTest, UnprobeableFilesInAFolderAreSkippedAndCounted)
{
    placeText("bad/fake.mp4", "plain text, not a film\n");
    placeText("bad/zero.mp4", QByteArray());
    place(smallVideo(), "bad/real.mp4");
    place(smallVideo(), "bad/tab\there.mp4");
    chooseFolder(VideoTarget, pathOf("bad"));
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), QStringList{QStringLiteral("real.mp4")});
    EXPECT_EQ(h.dialogs.messageTexts(),
              QStringList{QStringLiteral("目标文件加载完毕！\r\n有3个文件无法识别，已跳过！")});
}

TEST_F(FileAddingTest, ChineseNamesWithBlanksWork)
{
    const QString clip = place(wideVideo(), QStringLiteral("素材 文件夹/我的 视频 1.mp4"));
    place(picture(), QStringLiteral("素材 文件夹/封面 图.png"));
    chooseFolder(VideoTarget, pathOf("素材 文件夹"));
    EXPECT_EQ(h.c().LVideo->text(), pathOf("素材 文件夹/"));
    h.c().CmdReadFiles->click();
    ASSERT_EQ(h.c().MSFV->entryCount(), 1);
    EXPECT_EQ(h.c().MSFV->entryCells(1).mid(0, 4),
              (QStringList{"我的 视频 1.mp4", pathOf("素材 文件夹"), "80", "60"}));

    target(PictureTarget);
    h.dialogs.fileChoices.enqueue({pathOf("素材 文件夹/封面 图.png")});
    h.c().CmdAddFiles->click();
    EXPECT_EQ(h.c().MSFP->entryCells(1), (QStringList{"封面 图.png", pathOf("素材 文件夹"), "32", "24"}));
    EXPECT_EQ(h.c().StbPanel[2]->text(), QStringLiteral("最大文件数：1"));
}

TEST_F(FileAddingTest, TheFirstCheckAsksForASourceFolder)
{
    const QString texts[] = {"请先指定视频来源目录！", "请先指定音频来源目录！", "请先指定图片来源目录！"};
    QDir().mkpath(pathOf("empty"));
    h.c().LAudio->setText(pathOf("missing/"));
    h.c().LSubs->setText(pathOf("empty/"));
    for (Target t : {VideoTarget, AudioTarget, PictureTarget}) {
        target(t);
        h.c().CmdAddFiles->setFocus();
        h.c().CmdReadFiles->click();
        EXPECT_TRUE(h.c().CmdPath->hasFocus()) << int(t);
    }
    ASSERT_EQ(h.dialogs.messages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(h.dialogs.messages[i].text, texts[i]);
        EXPECT_EQ(h.dialogs.messages[i].icon, MessageIcon::Error);
    }
    EXPECT_TRUE(h.c().Frame1->isEnabled());
    EXPECT_FALSE(h.c().CmdStop->isVisible());
}

TEST_F(FileAddingTest, AFolderOfOnlySubfoldersNeedsTheSubfolderBox)
{
    place(smallVideo(), "outer/inner/clip.mp4");
    chooseFolder(VideoTarget, pathOf("outer"));
    setSubfolders(false);
    h.c().CmdReadFiles->click();
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("请先指定视频来源目录！")});
    EXPECT_EQ(h.c().MSFV->entryCount(), 0);

    h.dialogs.clear();
    setSubfolders(true);
    h.c().CmdReadFiles->click();
    EXPECT_EQ(column(h.c().MSFV, 0), QStringList{QStringLiteral("clip.mp4")});
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("目标文件加载完毕！")});
}

TEST_F(FileAddingTest, TheGridsStayUsableBetweenFiles)
{
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
        place(smallVideo(), QStringLiteral("many/") + QLatin1String(name));
    int probes = 0;
    bool gridEnabled = false;
    h.prober.beforeDuration = [&](const QString &) {
        if (++probes == 3) {
            gridEnabled = h.c().MSFV->isEnabled();
            h.window->lists().DeleteRow(SourceKind::Video);  // the user double-clicks the current row
        }
    };
    chooseFolder(VideoTarget, pathOf("many"));
    h.c().CmdReadFiles->click();
    EXPECT_TRUE(gridEnabled);
    EXPECT_EQ(column(h.c().MSFV, 0), (QStringList{"a.mp4", "c.mp4", "d.mp4"}));
    EXPECT_EQ(h.c().LVideoNum->text(), QStringLiteral("视频文件列表：3"));
}

TEST_F(FileAddingTest, TheTargetIsFixedWhenTheLoadStarts)
{
    place(smallVideo(), "fixed/a.mp4");
    place(smallVideo(), "fixed/b.mp4");
    h.prober.beforeDuration = [&](const QString &) { h.c().CmbObject->setCurrentIndex(PictureTarget); };
    chooseFolder(VideoTarget, pathOf("fixed"));
    h.c().CmdReadFiles->click();
    EXPECT_EQ(h.c().MSFV->entryCount(), 2);
    EXPECT_EQ(h.c().MSFP->entryCount(), 0);
}
