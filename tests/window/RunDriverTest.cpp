#include "MediaFactory.h"
#include "WindowHarness.h"
#include "app/run/Workspace.h"
#include "app/window/RunDriver.h"
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
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Four short clips made once for the suite.
class RunDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("clip %1.mp4").arg(i)), 160, 120,
                                                2.0 + i * 0.5));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    void SetUp() override
    {
        toolName = QStringLiteral("CutRunTest%1_%2.exe").arg(QCoreApplication::applicationPid()).arg(++counter);
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

TEST_F(RunDriverTest, MakesFourUpOutputsAndCleansUp)
{
    addClips(5);  // five clips allow five distinct four-source outputs
    prepareRun(2);
    QList<double> progress;
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(), [&] {
        const double p = h.c().PB->property("exactValue").toDouble();
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
    EXPECT_TRUE(h.window->statusText().startsWith("状态：视频生成Ok！"));
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
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, h.window.get(), [&] {
        // Output 1 is written and output 2 is cutting its sources.
        if (QFileInfo::exists(output(1)) && h.window->statusText().startsWith("状态：视频时长归一化中")) {
            stopper.stop();
            h.window->runDriver().StopClick();
        }
    });
    stopper.start(20);
    QStringList statuses;
    QObject::connect(h.window.get(), &FFmain::statusTextChanged, h.window.get(),
                     [&](const QString &text) { statuses.append(text); });
    h.c().CmdDo->click();
    SCOPED_TRACE(statuses.join('\n').toStdString());
    const RunDriver::Summary summary = h.window->runDriver().lastSummary();
    EXPECT_TRUE(summary.stopped);
    // Output 2 may still finish when its tool ends before the next look at
    // the stop flag; nothing after it is started.
    EXPECT_GE(summary.done, 1);
    EXPECT_LE(summary.done, 2);
    EXPECT_TRUE(h.dialogs.messageTexts().contains("终止当前操作？"));
    EXPECT_TRUE(h.dialogs.messageTexts().last().startsWith("处理完毕！"));
    EXPECT_FALSE(QFileInfo::exists(output(3)));
    EXPECT_FALSE(ProcessExists(toolName));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
    EXPECT_FALSE(h.window->state().stopRequested);
}

TEST_F(RunDriverTest, RefusesAnOutputThatWouldOverwriteASource)
{
    addClips(4);
    h.c().LOutDir->setText(media->path());
    h.c().TMax->setText("2");
    QFile::copy(media->filePath("clip 0.mp4"), media->filePath("0002.mp4"));
    h.window->lists().AppendRow(SourceKind::Video, {"0002.mp4", media->path(), "160", "120", "2"});
    const qint64 size = QFileInfo(media->filePath("0002.mp4")).size();
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
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, h.window.get(), [&] {
        if (h.window->statusText().startsWith("状态：视频时长归一化中")) {
            closer.stop();
            h.window->close();
        }
    });
    closer.start(20);
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
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, h.window.get(), [&] {
        if (ProcessExists(toolName)) {
            closer.stop();
            h.window->close();
        }
    });
    closer.start(5);
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
