// Workspaces of runs that go on at the same time, and those left behind.

#include "app/run/Workspace.h"
#include "ProcessWaits.h"
#include "app/run/PendingOutput.h"
#include "app/run/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &content = "data")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Workspaces whose instance ended without cleaning up: a child process
// claims them (as runs of two windows would), fills them and dies.
void leaveBehindByADeadInstance(const QString &workRoot)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok = true;
        for (Workspace *abandoned : {new Workspace(workRoot), new Workspace(workRoot)}) {
            ok = ok && abandoned->rebuild();
            QFile clip(abandoned->folder() + QStringLiteral("/0.mp4"));
            ok = ok && clip.open(QIODevice::WriteOnly) && clip.write("clip") == 4;
        }
        _exit(ok ? 0 : 1);  // no destructor runs: the claims stay on disk
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(WorkspaceTest, RunsAtTheSameTimeEachOwnTheirs)
{
    QTemporaryDir root;
    Workspace first(root.path());
    ASSERT_TRUE(first.rebuild());
    writeFile(first.folder() + "/Tmp/0.mp4");
    Workspace second(root.path());
    ASSERT_TRUE(second.rebuild());

    EXPECT_NE(first.folder(), second.folder());
    EXPECT_TRUE(QFileInfo(second.folder() + "/Tmp").isDir());
    EXPECT_TRUE(QFileInfo::exists(first.folder() + "/Tmp/0.mp4"))
        << "the second run kept off the first's files";

    // Rebuilt for its next run, each keeps its own folder.
    const QString firstFolder = first.folder();
    ASSERT_TRUE(first.rebuild());
    EXPECT_EQ(first.folder(), firstFolder);
    EXPECT_FALSE(QFileInfo::exists(first.folder() + "/Tmp/0.mp4"));

    EXPECT_TRUE(first.remove());
    EXPECT_TRUE(second.remove());
    // Nothing is left, the claims included.
    EXPECT_TRUE(
        QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(WorkspaceTest, TheNextRunRemovesWhatAnInstanceNoLongerRunningLeft)
{
    QTemporaryDir root;
    leaveBehindByADeadInstance(root.path());
    for (const char *left : {"Tmp/0.mp4", "Tmp.lock", "Tmp1/0.mp4", "Tmp1.lock"})
        ASSERT_TRUE(QFileInfo::exists(root.filePath(left))) << left;
    // An earlier version's workspace carries the marker but no claim.
    QDir().mkpath(root.filePath("Tmp7/Tmp"));
    writeFile(root.filePath("Tmp7/") + Workspace::markerName());
    // Folders and files of somebody else are never touched.
    QDir().mkpath(root.filePath("Tmp3"));
    writeFile(root.filePath("Tmp3/keep.txt"));
    writeFile(root.filePath("Tmp5.lock"), "not a claim");
    QDir().mkpath(root.filePath("Tmp5"));
    writeFile(root.filePath("Tmp5/") + Workspace::markerName());

    Workspace next(root.path());
    ASSERT_TRUE(next.rebuild());
    EXPECT_EQ(next.folder(), root.filePath("Tmp"));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("Tmp/0.mp4")));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("Tmp1")));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("Tmp1.lock")));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("Tmp7")));
    EXPECT_TRUE(QFileInfo::exists(root.filePath("Tmp3/keep.txt")));
    EXPECT_TRUE(QFileInfo::exists(root.filePath("Tmp5/") + Workspace::markerName()));
    EXPECT_TRUE(QFileInfo::exists(root.filePath("Tmp5.lock")));
    EXPECT_TRUE(next.remove());
}

// A killed instance leaves its record: the next run ends the tool it
// recorded (the very process, not one that merely has the name) and removes
// the unfinished outputs it created, but no file it did not create.
TEST(WorkspaceTest, TheNextRunEndsTheToolsAndRemovesTheUnfinishedFilesOfAKilledInstance)
{
    QTemporaryDir root;
    const QString workRoot = root.filePath("work");
    const QString output = root.filePath("输出\n目录");
    ASSERT_TRUE(QDir().mkpath(output));
    const QString tool = root.filePath("CutMedia.exe");
    ASSERT_TRUE(QFile::copy("/bin/sleep", tool));
    qint64 toolPid = 0;
    ASSERT_TRUE(QProcess::startDetached(tool, {"60"}, QString(), &toolPid));
    qint64 namesakePid = 0;  // runs another program than the recorded name
    ASSERT_TRUE(QProcess::startDetached("/bin/sleep", {"60"}, QString(), &namesakePid));
    ASSERT_TRUE(
        waitUntil([&] { return ProcessTable::isRunning(toolPid) && ProcessTable::isRunning(namesakePid); }));

    const QString foreign = output + "/0003.zarv-unfinished.mp4";
    writeFile(foreign, "somebody else's");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Workspace workspace(workRoot);
        bool ok = workspace.rebuild();
        WorkspaceRecord record(workspace.folder());
        record.toolStarted(toolPid, "CutMedia.exe");
        record.toolStarted(namesakePid, "CutMedia.exe");
        auto *first = new PendingOutput(output + "/0001.mp4", workspace.folder());
        auto *second = new PendingOutput(output + "/0002.mp4", workspace.folder());
        ok = ok && first->isReserved() && second->isReserved();
        // The second's file is replaced by somebody else's under its name.
        QFile::remove(second->writingPath());
        QFile replacement(second->writingPath());
        ok = ok && replacement.open(QIODevice::WriteOnly) && replacement.write("replaced") == 8;
        _exit(ok ? 0 : 1);  // killed: nothing cleans up
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(output + "/0001.zarv-unfinished.mp4"));

    Workspace next(workRoot);
    ASSERT_TRUE(next.rebuild());
    EXPECT_TRUE(waitUntil([&] { return !ProcessTable::isRunning(toolPid); }));
    EXPECT_TRUE(ProcessTable::isRunning(namesakePid));
    EXPECT_FALSE(QFileInfo::exists(output + "/0001.zarv-unfinished.mp4"));
    EXPECT_TRUE(QFileInfo::exists(output + "/0002.zarv-unfinished.mp4"));
    EXPECT_TRUE(QFileInfo::exists(foreign));
    EXPECT_TRUE(next.remove());
    ProcessTable::terminate(namesakePid);
    ProcessTable::terminate(toolPid);
}

}  // namespace
