#include "app/window/RunDriver.h"
#include "MediaFactory.h"
#include "ScopedEnvironment.h"
#include "WindowHarness.h"
#include "app/run/Workspace.h"
#include "app/window/ProgressPercent.h"
#include "app/window/SourceListOps.h"
#include "platform/ProcessTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// Four short clips made once for the suite.
class RunDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("clip %1.mp4").arg(i)), 160,
                                                120, 2.0 + i * 0.5));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    void SetUp() override
    {
        toolName =
            QStringLiteral("CutRunTest%1_%2.exe").arg(QCoreApplication::applicationPid()).arg(++counter);
        h.window->runDriver().setToolName(toolName);
        outputFolder = h.folder.path() + QStringLiteral("/输出 目录");
        QDir().mkpath(outputFolder);
    }

    void addClips(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("clip %1.mp4").arg(i);
            const QString path = media->filePath(name);
            const QSize size = *h.prober.probeFrameSize(path);
            h.window->lists().AppendRow(SourceKind::Video,
                                        {name, media->path(), QString::number(size.width()),
                                         QString::number(size.height()),
                                         MediaProber::durationText(*h.prober.probeDuration(path))});
        }
    }

    void prepareRun(int outputs, const QString &lengthText = QStringLiteral("2"))
    {
        h.c().LOutDir->setText(outputFolder);
        h.c().TMax->setText(QString::number(outputs));
        h.c().TLen->setText(lengthText);
    }

    QString output(int n) const
    {
        return outputFolder + QStringLiteral("/%1.mp4").arg(n, 4, 10, QLatin1Char('0'));
    }

    QString workspaceFolder() const { return Workspace(h.window->state().workRoot).folder(); }

    static QTemporaryDir *media;
    static int counter;
    WindowHarness h;
    QString toolName;
    QString outputFolder;
};

QTemporaryDir *RunDriverTest::media = nullptr;
int RunDriverTest::counter = 0;

TEST_F(RunDriverTest, RefusesWithoutAnOutputFolder)
{
    addClips(4);
    h.c().CmdDo->click();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages.first().text, "请先指定输出目录！");
    EXPECT_EQ(h.dialogs.messages.first().icon, MessageIcon::Error);
    EXPECT_EQ(h.c().CmbObject->currentIndex(), 3);
    EXPECT_FALSE(h.window->runDriver().lastSummary().started);
}

TEST_F(RunDriverTest, ZeroOutputsStillRebuildsAndAsks)
{
    addClips(4);
    prepareRun(0);
    h.c().CmdDo->click();
    EXPECT_TRUE(h.window->runDriver().lastSummary().started);
    EXPECT_EQ(h.dialogs.messageTexts().last(), "处理完毕！\r\n要打开输出目录吗？");
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
    EXPECT_TRUE(QDir(outputFolder).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(h.c().CmdDo->isEnabled());
    EXPECT_TRUE(h.c().Frame2->isEnabled());
}

// Without a file manager the answer Yes says so, naming the folder; so does
// one that handles no folders.
TEST_F(RunDriverTest, OpeningTheOutputFolderWithoutAFileManagerSaysSo)
{
    QTemporaryDir tools;
    const QString noHandler = tools.filePath("no handler");
    QDir().mkpath(noHandler);
    for (const char *tool : {"xdg-open", "xdg-mime"}) {
        QFile script(noHandler + "/" + tool);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexit 0\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    for (const QString &path : {tools.filePath("none"), noHandler}) {
        SCOPED_TRACE(path.toStdString());
        ScopedEnvironment noTools("PATH", path.toUtf8());
        h.dialogs.clear();
        addClips(4);
        prepareRun(0);
        h.dialogs.answers.enqueue(DialogAnswer::Yes);
        h.c().CmdDo->click();
        ASSERT_EQ(h.dialogs.messages.size(), 2) << h.dialogs.messageTexts().join("|").toStdString();
        EXPECT_EQ(h.dialogs.messages.last().text, "没有可用的文件管理器，无法打开输出目录：" + outputFolder);
        EXPECT_EQ(h.dialogs.messages.last().icon, MessageIcon::Error);
    }
}

TEST_F(RunDriverTest, MakesFourUpOutputsAndCleansUp)
{
    addClips(5);  // five clips allow five distinct four-source outputs
    prepareRun(2);
    QList<double> progress;
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&] {
        const double p = ProgressPercent::of(h.c().PB);
        if (progress.isEmpty() || progress.last() != p)
            progress.append(p);
        if (h.window->statusText().startsWith("状态：视频")) {
            EXPECT_TRUE(QFileInfo::exists(workspaceFolder() + "/" + toolName));
        }
        EXPECT_FALSE(h.c().Frame1->isEnabled());
        EXPECT_FALSE(h.c().MSFV->isEnabled());
        EXPECT_TRUE(h.c().CmdStop->isVisible());
    });
    h.c().CmdDo->click();
    const RunDriver::Summary summary = h.window->runDriver().lastSummary();
    EXPECT_EQ(summary.done, 2);
    EXPECT_EQ(summary.failed, 0);
    for (int n = 1; n <= 2; ++n) {
        const MediaFactory::StreamFacts facts = MediaFactory::probe(output(n));
        EXPECT_TRUE(facts.hasVideo) << n;
        EXPECT_TRUE(facts.hasAudio) << n;
        EXPECT_EQ(facts.width, 320);
        EXPECT_EQ(facts.height, 240);
        EXPECT_NEAR(facts.durationSeconds, 2.0, 0.1);
    }
    EXPECT_TRUE(progress.contains(50.0));
    EXPECT_TRUE(progress.contains(100.0));
    EXPECT_EQ(h.c().PB->value(), 0);
    // The status line shows the end of the run, not its last step.
    EXPECT_EQ(h.window->statusText(), "状态：处理完毕。");
    EXPECT_EQ(h.dialogs.messageTexts().last(), "处理完毕！\r\n要打开输出目录吗？");
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
    EXPECT_FALSE(ProcessExists(toolName));
    EXPECT_TRUE(h.c().MSFV->isEnabled());
    EXPECT_FALSE(h.c().MSFP->isEnabled());
    EXPECT_FALSE(h.c().CmdStop->isVisible());
}

TEST_F(RunDriverTest, StopDuringTheSecondOutputEndsTheRun)
{
    addClips(5);
    prepareRun(5);
    h.dialogs.answers.enqueue(DialogAnswer::Ok);  // the stop question
    // The stop button is pressed once output 1 reports done (its file alone
    // tells nothing: the tool creates it when it starts) and output 2 is
    // cutting its sources; each status text is shown before its wait.
    bool firstDone = false;
    QStringList statuses;
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&](const QString &text) {
        statuses.append(text);
        if (text.startsWith("状态：视频生成Ok！") && text.contains("；1/5；"))
            firstDone = true;
        else if (firstDone && text.startsWith("状态：视频时长归一化中") && !h.window->state().stopRequested)
            h.window->runDriver().StopClick();
    });
    h.c().CmdDo->click();
    SCOPED_TRACE(statuses.join('\n').toStdString());
    const RunDriver::Summary summary = h.window->runDriver().lastSummary();
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 1);
    EXPECT_TRUE(h.dialogs.messageTexts().contains("终止当前操作？"));
    EXPECT_EQ(h.dialogs.messageTexts().last(), "处理已停止！\r\n已生成1个视频。\r\n要打开输出目录吗？");
    EXPECT_EQ(h.window->statusText(), "状态：已停止，生成了1个视频。");
    EXPECT_EQ(QDir(outputFolder).entryList(QDir::Files), QStringList{"0001.mp4"});
    EXPECT_TRUE(MediaFactory::probe(output(1)).hasVideo);
    EXPECT_FALSE(ProcessExists(toolName));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
    EXPECT_FALSE(h.window->state().stopRequested);
}

TEST_F(RunDriverTest, AStopDuringTheFinalStepKeepsTheEarlierCompleteOutput)
{
    addClips(5);
    prepareRun(3);
    // A complete 0002.mp4 from an earlier run.
    ASSERT_TRUE(MediaFactory::makeVideo(output(2), 96, 64, 1.0));
    QFile earlier(output(2));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    const QByteArray earlierContent = earlier.readAll();
    earlier.close();

    h.dialogs.answers.enqueue(DialogAnswer::Yes);  // overwrite the earlier run's name
    h.dialogs.answers.enqueue(DialogAnswer::Ok);   // the stop question
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&](const QString &text) {
        // Output 2's final step is writing.
        if (text.startsWith("状态：视频生成中") && text.contains("；2/3；")
            && !h.window->state().stopRequested)
            h.window->runDriver().StopClick();
    });
    h.c().CmdDo->click();
    const RunDriver::Summary summary = h.window->runDriver().lastSummary();
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 1);

    // Only complete outputs: the new 0001.mp4 and the earlier 0002.mp4, untouched.
    EXPECT_EQ(QDir(outputFolder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"0001.mp4", "0002.mp4"}));
    EXPECT_TRUE(MediaFactory::probe(output(1)).hasVideo);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), earlierContent);
    EXPECT_FALSE(ProcessExists(toolName));
}

TEST_F(RunDriverTest, RefusesAnOutputThatWouldOverwriteASource)
{
    addClips(4);
    h.c().LOutDir->setText(media->path());
    h.c().TMax->setText("2");
    QFile::copy(media->filePath("clip 0.mp4"), media->filePath("0002.mp4"));
    h.window->lists().AppendRow(SourceKind::Video, {"0002.mp4", media->path(), "160", "120", "2"});
    const qint64 size = QFileInfo(media->filePath("0002.mp4")).size();
    h.dialogs.answers.enqueue(DialogAnswer::Yes);  // overwrite what is there
    h.c().CmdDo->click();
    EXPECT_FALSE(h.window->runDriver().lastSummary().started);
    EXPECT_TRUE(h.dialogs.messageTexts().last().contains("覆盖源文件"));
    EXPECT_EQ(QFileInfo(media->filePath("0002.mp4")).size(), size);
    EXPECT_GT(size, 0);
    QFile::remove(media->filePath("0002.mp4"));
}

}  // namespace

namespace {

TEST_F(RunDriverTest, ClosingTheWindowDuringARunStopsItCleanly)
{
    addClips(5);
    prepareRun(5);
    h.dialogs.answers.enqueue(DialogAnswer::Ok);  // "关闭程序"
    // Closed while output 1 cuts its sources (the status is shown before its
    // wait, so the close is seen by that wait).
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&](const QString &text) {
        if (text.startsWith("状态：视频时长归一化中") && h.window->isVisible())
            h.window->close();
    });
    h.c().CmdDo->click();
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_TRUE(h.window->runDriver().lastSummary().stopped);
    EXPECT_TRUE(h.dialogs.messageTexts().contains("关闭程序"));
    EXPECT_FALSE(h.dialogs.messageTexts().last().startsWith("处理完毕！"));
    EXPECT_FALSE(ProcessExists(toolName));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
}

TEST_F(RunDriverTest, ClosingCancelledDuringARunLeavesItsToolsAlone)
{
    addClips(5);
    prepareRun(2);
    h.dialogs.answers.enqueue(DialogAnswer::Cancel);  // "关闭程序"
    // Closed while output 1's final step runs: that status is shown by the
    // wait for the tool, after the tool started (a poll for the tool's
    // process could miss a short run).
    bool closed = false;
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&](const QString &text) {
        if (!closed && text.startsWith("状态：视频生成中")) {
            closed = true;
            h.window->close();
        }
    });
    h.c().CmdDo->click();
    EXPECT_TRUE(h.dialogs.messageTexts().contains("关闭程序"));
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.window->runDriver().lastSummary().stopped);
    EXPECT_EQ(h.window->runDriver().lastSummary().done, 2) << "the tool that was running finished its work";
}

TEST_F(RunDriverTest, ClosingCanBeCancelled)
{
    h.dialogs.answers.enqueue(DialogAnswer::Cancel);
    h.window->close();
    EXPECT_TRUE(h.window->isVisible());
    const MessageRequest &ask = h.dialogs.messages.last();
    EXPECT_EQ(ask.text, "关闭程序");
    EXPECT_EQ(ask.buttons, MessageButtons::OkCancel);
}

}  // namespace

namespace {

// An empty picture folder leaves the picture range at 0-30; a later run is
// not broken by it.
TEST_F(RunDriverTest, APictureRangeFromAnEmptyFolderDoesNotBreakALaterRun)
{
    addClips(4);
    prepareRun(1);
    h.c().TPics->setText("0-30");
    h.c().CmdDo->click();
    EXPECT_EQ(h.window->runDriver().lastSummary().done, 1);

    // In the picture mode the validation says so and corrects the range.
    h.dialogs.clear();
    h.c().OptPP->click();
    h.c().TPics->setText("0-30");
    EXPECT_FALSE(h.window->runDriver().validateRequest());
    EXPECT_TRUE(h.dialogs.messageTexts().contains("图片数量区间最大值过大!"));
    EXPECT_EQ(h.c().TPics->text(), "4-30");
}

}  // namespace
