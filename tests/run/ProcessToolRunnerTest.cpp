#include "app/run/ProcessToolRunner.h"
#include "ProcessWaits.h"
#include "TestRunContext.h"
#include "platform/ProcessTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double secondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// A workspace with its own copy of a small program under a tool name unique
// to this test, so that tests never see each other's (or anyone's) processes.
// The folder name holds a blank and Chinese characters, as workspace paths may.
class ToolRunnerTest : public ::testing::Test {
protected:
    void installTool(const QString &stem, const QString &source = QStringLiteral("/bin/sleep"))
    {
        ASSERT_TRUE(workspace.isValid());
        toolName = stem + QLatin1Char('_') + QString::number(QCoreApplication::applicationPid())
                   + QStringLiteral(".exe");
        const QString target = workspace.filePath(toolName);
        ASSERT_TRUE(QFile::copy(QFileInfo(source).canonicalFilePath(), target));
        ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadGroup | QFile::ExeGroup));
        ASSERT_EQ(liveCount(toolName), 0);
    }

    void TearDown() override
    {
        if (toolName.isEmpty())
            return;
        for (int i = 0; i < 20 && KillProcessesByName(toolName) == 1; ++i) {
        }
    }

    QTemporaryDir workspace{QDir::tempPath() + QStringLiteral("/工作 区-XXXXXX")};
    QString toolName;
    TestRunContext context;
};

}  // namespace

TEST_F(ToolRunnerTest, AWaitFollowsItsRunsWithoutAPause)
{
    installTool(QStringLiteral("ToolRunShort"));
    ProcessToolRunner runner(workspace.path(), context, toolName);

    // Nothing started: nothing to wait for, not even a pause.
    EXPECT_EQ(runner.waitForTool([] { return QStringLiteral("状态：测试"); }), ToolRunResult::Finished);
    EXPECT_EQ(context.pumps, 0);
    EXPECT_TRUE(context.statuses.isEmpty());

    // A run is followed by its process id from the moment it started.
    const ToolRun run = runner.startTool({QStringLiteral("0.3")});
    EXPECT_NE(run, 0);
    EXPECT_EQ(runner.waitForTool([] { return QStringLiteral("状态：测试"); }), ToolRunResult::Finished);
    EXPECT_TRUE(runner.hasEnded(run));
    EXPECT_EQ(liveCount(toolName), 0);
}

TEST_F(ToolRunnerTest, WaitLastsWhileTheToolRunsAndRebuildsTheStatus)
{
    installTool(QStringLiteral("ToolRunLong"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    int pass = 0;

    QElapsedTimer timer;
    timer.start();
    const ToolRunResult result = runner.runTool(
        {QStringLiteral("1.5")}, [&pass] { return QStringLiteral("状态：第%1遍").arg(++pass); });

    EXPECT_EQ(result, ToolRunResult::Finished);
    // It lasted as long as the tool ran.
    EXPECT_GE(secondsSince(timer), 1.4);
    EXPECT_EQ(liveCount(toolName), 0);
    ASSERT_GE(context.statuses.size(), 2);
    EXPECT_EQ(context.statuses.first(), QStringLiteral("状态：第1遍"));
    EXPECT_EQ(context.statuses.last(), QStringLiteral("状态：第%1遍").arg(pass));
    // One status per pass, each pass checking the stop flag first.
    EXPECT_EQ(context.stopQueries, context.statuses.size());
    EXPECT_EQ(context.pumps, context.statuses.size());
}

TEST_F(ToolRunnerTest, WaitCoversRunsStartedBackToBack)
{
    installTool(QStringLiteral("ToolRunPair"));
    ProcessToolRunner runner(workspace.path(), context, toolName);

    const ToolRun quick = runner.startTool({QStringLiteral("0.2")});
    const ToolRun slow = runner.startTool({QStringLiteral("1.5")});
    const ToolRunResult result = runner.waitForTool({});

    EXPECT_EQ(result, ToolRunResult::Finished);
    EXPECT_TRUE(runner.hasEnded(quick));
    EXPECT_TRUE(runner.hasEnded(slow));
    EXPECT_EQ(liveCount(toolName), 0);
}

TEST_F(ToolRunnerTest, AToolOfTheSameNameStartedElsewhereDoesNotProlongAWait)
{
    // Another instance's tools must not stall this run.
    installTool(QStringLiteral("ToolRunOther"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    QProcess other;
    other.start(workspace.filePath(toolName), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted(5000));
    ASSERT_TRUE(waitUntil([&] { return liveCount(toolName) == 1; }));

    const ToolRun ours = runner.startTool({QStringLiteral("0.3")});
    EXPECT_NE(ours, 0);
    EXPECT_EQ(runner.waitForTool({}), ToolRunResult::Finished);
    EXPECT_TRUE(runner.hasEnded(ours));
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    EXPECT_TRUE(other.waitForFinished(5000));
}

TEST_F(ToolRunnerTest, EachRunTellsWhenItHasEnded)
{
    installTool(QStringLiteral("ToolRunEach"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    const ToolRun quick = runner.startTool({QStringLiteral("0.2")});
    const ToolRun slow = runner.startTool({QStringLiteral("30")});
    EXPECT_NE(quick, slow);
    ASSERT_TRUE(waitUntil([&] { return runner.hasEnded(quick); }));
    EXPECT_FALSE(runner.hasEnded(slow));
    EXPECT_EQ(runner.terminateStartedTools(), 1);
    EXPECT_TRUE(waitUntil([&] { return runner.hasEnded(slow); }));
    EXPECT_TRUE(runner.hasEnded(0)) << "a start that never ran has ended";
}

TEST_F(ToolRunnerTest, RunsInTheWorkspaceWithEachArgumentAsGiven)
{
    installTool(QStringLiteral("ToolRunShell"), QStringLiteral("/bin/sh"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    EXPECT_EQ(QFileInfo(runner.toolPath()).canonicalFilePath(),
              QFileInfo(workspace.filePath(toolName)).canonicalFilePath());

    // $0 = zero, $1 = 'o"n e', $2 = three: quotes and blanks stay inside
    // their argument. The tool's own output goes nowhere, so the script
    // writes files to report.
    const ToolRunResult result = runner.runTool(
        {QStringLiteral("-c"), QStringLiteral("pwd > where.txt; echo $# \"$1\" > args.txt; echo lost"),
         QStringLiteral("zero"), QStringLiteral("'o\"n e"), QStringLiteral("three")},
        QStringLiteral("状态：运行"));
    ASSERT_EQ(result, ToolRunResult::Finished);

    QFile where(workspace.filePath(QStringLiteral("where.txt")));
    ASSERT_TRUE(where.open(QIODevice::ReadOnly));
    EXPECT_EQ(QFileInfo(QString::fromUtf8(where.readAll()).trimmed()).canonicalFilePath(),
              QFileInfo(workspace.path()).canonicalFilePath());
    QFile args(workspace.filePath(QStringLiteral("args.txt")));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()).trimmed(), QStringLiteral("2 'o\"n e"));
}

TEST_F(ToolRunnerTest, StopDuringARunReturnsStoppedWithinOnePassAndLeavesTheTool)
{
    installTool(QStringLiteral("ToolRunStop"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    context.stopAfterStatuses = 1;  // the stop button is pressed during the first pass

    const ToolRunResult result = runner.runTool({QStringLiteral("30")}, QStringLiteral("状态：等待"));

    EXPECT_EQ(result, ToolRunResult::Stopped);
    EXPECT_EQ(context.statuses.size(), 1) << "no further pass after the stop";
    EXPECT_EQ(context.stopQueries, 2);
    EXPECT_EQ(liveCount(toolName), 1) << "the tool is left running";
    ASSERT_EQ(runner.runningStartedTools().size(), 1);

    EXPECT_EQ(runner.terminateStartedTools(), 1);
    EXPECT_EQ(liveCount(toolName), 0);
    EXPECT_TRUE(runner.runningStartedTools().isEmpty());
}

TEST_F(ToolRunnerTest, StopWithoutRunningToolStillFinishes)
{
    installTool(QStringLiteral("ToolRunIdle"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    context.stop = true;

    EXPECT_EQ(runner.waitForTool({}), ToolRunResult::Finished);
    EXPECT_TRUE(context.statuses.isEmpty());
}

TEST_F(ToolRunnerTest, AMissingToolFileFinishesAtOnce)
{
    ASSERT_TRUE(workspace.isValid());
    const QString name = QStringLiteral("ToolRunMissing_%1.exe").arg(QCoreApplication::applicationPid());
    ProcessToolRunner runner(workspace.path(), context, name);

    const ToolRunResult result = runner.runTool({QStringLiteral("1")}, QStringLiteral("状态："));

    EXPECT_EQ(result, ToolRunResult::Finished);
    EXPECT_EQ(context.pumps, 0);
    EXPECT_TRUE(context.statuses.isEmpty());
    EXPECT_TRUE(runner.runningStartedTools().isEmpty());
}

TEST_F(ToolRunnerTest, TerminateStartedToolsEndsOnlyItsOwnProcesses)
{
    installTool(QStringLiteral("ToolRunOwn"));
    ProcessToolRunner runner(workspace.path(), context, toolName);
    runner.startTool({QStringLiteral("30")});
    runner.startTool({QStringLiteral("30")});

    // Another program's process of the same name.
    QProcess other;
    other.start(workspace.filePath(toolName), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted(5000));
    ASSERT_TRUE(waitUntil([&] { return liveCount(toolName) == 3; }));

    EXPECT_EQ(runner.runningStartedTools().size(), 2);
    EXPECT_EQ(runner.terminateStartedTools(), 2);
    EXPECT_EQ(liveCount(toolName), 1);
    EXPECT_TRUE(ProcessTable::isRunning(other.processId()));
    EXPECT_EQ(other.state(), QProcess::Running);
    // Nothing of ours is left, so a second call ends nothing.
    EXPECT_EQ(runner.terminateStartedTools(), 0);

    other.kill();
    EXPECT_TRUE(other.waitForFinished(5000));
}

#ifdef Q_OS_LINUX
// A program killed in the middle of a run takes its tools along: nothing it
// started goes on writing.
TEST_F(ToolRunnerTest, AToolEndsWithTheProgramThatStartedIt)
{
    installTool(QStringLiteral("ToolRunOrphan"));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ProcessToolRunner runner(workspace.path(), context, toolName);
        runner.startTool({QStringLiteral("30")});
        const QList<qint64> started = runner.runningStartedTools();
        const qint64 pid = started.isEmpty() ? 0 : started.first();
        [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &pid, sizeof pid);
        ::pause();  // until killed
        ::_exit(0);
    }
    qint64 tool = 0;
    ASSERT_EQ(::read(pipeFds[0], &tool, sizeof tool), ssize_t(sizeof tool));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    ASSERT_GT(tool, 0);
    ASSERT_TRUE(ProcessTable::isRunning(tool));
    ::kill(program, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    EXPECT_TRUE(waitUntil([&] { return !ProcessTable::isRunning(tool); }, 2000));
}
#endif
