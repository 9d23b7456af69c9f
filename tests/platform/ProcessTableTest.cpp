#include "ProcessWaits.h"
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
#include <memory>
#include <vector>

#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray procFile(qint64 pid, const char *entry)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
    // /proc files report no size; read what is there.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

char procState(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return (close < 0 || close + 2 >= stat.size()) ? '\0' : stat.at(close + 2);
}

// Copies of /bin/sleep under names unique to this test program, started as
// children with QProcess.
class ProcessTableTest : public ::testing::Test {
protected:
    QString installSleep(const QString &stem)
    {
        const QString name = stem + QString::number(QCoreApplication::applicationPid())
                             + QStringLiteral(".exe");
        const QString path = folder.filePath(name);
        if (!QFile::copy(QStringLiteral("/bin/sleep"), path))
            return {};
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        names.append(name);
        return name;
    }

    QProcess *startCopy(const QString &name, const QString &seconds = QStringLiteral("30"))
    {
        children.push_back(std::make_unique<QProcess>());
        QProcess *process = children.back().get();
        process->start(folder.filePath(name), {seconds});
        return process->waitForStarted(5000) ? process : nullptr;
    }

    void TearDown() override
    {
        for (auto &child : children) {
            if (child->state() != QProcess::NotRunning) {
                child->kill();
                child->waitForFinished(5000);
            }
        }
    }

    QTemporaryDir folder;
    QStringList names;
    std::vector<std::unique_ptr<QProcess>> children;
};

}  // namespace

TEST_F(ProcessTableTest, ListsThisProcessUnderItsExecutableName)
{
    const qint64 self = QCoreApplication::applicationPid();
    const QString selfName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    bool found = false;
    for (const ProcessEntry &entry : ProcessTable::runningProcesses()) {
        if (entry.pid == self) {
            found = true;
            EXPECT_EQ(entry.executableName, selfName);
        }
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(ProcessTable::isRunning(self));
    EXPECT_EQ(ProcessTable::executableName(self), selfName);
    EXPECT_TRUE(ProcessExists(selfName));
}

TEST_F(ProcessTableTest, ProcessExistsIgnoresLetterCaseButWantsTheWholeName)
{
    const QString name = installSleep(QStringLiteral("CaseTool_"));
    ASSERT_FALSE(name.isEmpty());
    EXPECT_FALSE(ProcessExists(name));
    QProcess *child = startCopy(name);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(waitUntil([&] { return ProcessExists(name); }));

    EXPECT_TRUE(ProcessExists(name.toUpper()));
    EXPECT_TRUE(ProcessExists(name.toLower()));
    EXPECT_FALSE(ProcessExists(name.chopped(4))) << "the description must be equal, not a prefix";
    EXPECT_FALSE(ProcessExists(QString()));

    child->kill();
    ASSERT_TRUE(child->waitForFinished(5000));
    EXPECT_FALSE(ProcessExists(name));
}

TEST_F(ProcessTableTest, KillEndsOneOfTwoCopiesPerCall)
{
    const QString name = installSleep(QStringLiteral("KillTwo_"));
    ASSERT_FALSE(name.isEmpty());
    QProcess *first = startCopy(name);
    QProcess *second = startCopy(name);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveCount(name) == 2; }));

    EXPECT_EQ(KillProcessesByName(name), 1);
    EXPECT_EQ(liveCount(name), 1);
    // Exactly one of the two children ended.
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::processEvents();
        return (first->state() == QProcess::NotRunning) != (second->state() == QProcess::NotRunning);
    }));
    QProcess *ended = first->state() == QProcess::NotRunning ? first : second;
    EXPECT_EQ(ended->exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(KillProcessesByName(name.toLower()), 1);
    EXPECT_EQ(liveCount(name), 0);
    EXPECT_EQ(KillProcessesByName(name), 0);
}

TEST_F(ProcessTableTest, KillWithoutAMatchReturnsZero)
{
    const QString name = installSleep(QStringLiteral("KillNone_"));
    ASSERT_FALSE(name.isEmpty());
    EXPECT_EQ(KillProcessesByName(name), 0);
    EXPECT_EQ(KillProcessesByName(QString()), 0);
}

TEST_F(ProcessTableTest, KillMatchesANameWithoutExtensionAsPrefix)
{
    const QString name = installSleep(QStringLiteral("PrefixTool_"));
    ASSERT_FALSE(name.isEmpty());
    QProcess *child = startCopy(name);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveCount(name) == 1; }));

    // Text in the middle of the name is no match.
    EXPECT_EQ(KillProcessesByName(name.mid(1)), 0);
    EXPECT_EQ(liveCount(name), 1);

    const QString withoutExtension = name.chopped(4).toLower();
    EXPECT_EQ(KillProcessesByName(withoutExtension), 1);
    EXPECT_EQ(liveCount(name), 0);
    EXPECT_TRUE(child->waitForFinished(5000));
}

TEST_F(ProcessTableTest, FinishedChildNotYetCollectedDoesNotCount)
{
    // Short enough for the kernel's 15-character command name, which is all
    // that names a zombie: without the zombie rule it would match.
    const QString name = installSleep(QStringLiteral("Zb"));
    ASSERT_FALSE(name.isEmpty());
    ASSERT_LE(name.size(), 15);
    const QByteArray path = QFile::encodeName(folder.filePath(name));
    const QByteArray argument = "30";
    char *const argv[] = {const_cast<char *>(path.constData()), const_cast<char *>(argument.constData()),
                          nullptr};

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    ASSERT_TRUE(waitUntil([&] { return ProcessExists(name); }));
    EXPECT_TRUE(ProcessTable::isRunning(pid));

    // Ended but not collected: a zombie.
    ::kill(pid, SIGKILL);
    const bool zombie = waitUntil([&] { return procState(pid) == 'Z'; });
    EXPECT_TRUE(zombie);
    if (zombie) {
        EXPECT_EQ(procFile(pid, "comm").trimmed(), QFile::encodeName(name));
        EXPECT_FALSE(ProcessExists(name));
        EXPECT_FALSE(ProcessTable::isRunning(pid));
        EXPECT_TRUE(ProcessTable::executableName(pid).isEmpty());
        EXPECT_EQ(KillProcessesByName(name), 0);
        for (const ProcessEntry &entry : ProcessTable::runningProcesses())
            EXPECT_NE(entry.pid, qint64(pid));
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
}

TEST_F(ProcessTableTest, TerminateEndsAGivenProcess)
{
    const QString name = installSleep(QStringLiteral("TermTool_"));
    ASSERT_FALSE(name.isEmpty());
    QProcess *child = startCopy(name);
    ASSERT_NE(child, nullptr);
    const qint64 pid = child->processId();
    ASSERT_TRUE(waitUntil([&] { return ProcessTable::executableName(pid) == name; }));

    EXPECT_TRUE(ProcessTable::terminate(pid));
    EXPECT_FALSE(ProcessTable::isRunning(pid));
    EXPECT_TRUE(child->waitForFinished(5000));
}

TEST(ProcessTable, RefusesIdsThatNameNoSingleProcess)
{
    EXPECT_FALSE(ProcessTable::isRunning(0));
    EXPECT_FALSE(ProcessTable::isRunning(-1));
    EXPECT_TRUE(ProcessTable::executableName(0).isEmpty());

    // An id above the system's largest.
    QFile pidMax(QStringLiteral("/proc/sys/kernel/pid_max"));
    ASSERT_TRUE(pidMax.open(QIODevice::ReadOnly));
    const qint64 unused = pidMax.readAll().trimmed().toLongLong() + 1;
    ASSERT_GT(unused, 1);
    EXPECT_FALSE(ProcessTable::isRunning(unused));
    EXPECT_FALSE(ProcessTable::terminate(unused));
}

TEST(ProcessTable, NameRules)
{
    EXPECT_TRUE(ProcessTable::namesEqual(QStringLiteral("CutMedia.exe"), QStringLiteral("cutmedia.EXE")));
    EXPECT_FALSE(ProcessTable::namesEqual(QStringLiteral("CutMedia.exe"), QStringLiteral("CutMedia")));
    EXPECT_TRUE(ProcessTable::nameStartsWith(QStringLiteral("CutMedia.exe"), QStringLiteral("CUTMEDIA")));
    EXPECT_TRUE(ProcessTable::nameStartsWith(QStringLiteral("CutMedia.exe"), QStringLiteral("CutMedia.exe")));
    EXPECT_FALSE(ProcessTable::nameStartsWith(QStringLiteral("CutMedia.exe"), QStringLiteral("Media")));
}
