// Processor time the tool runner spends while it waits for a long tool run.
// Starts a copy of /bin/sleep under a tool name in a temporary workspace,
// waits for it with the real runner and prints the user and system time of
// this process during the wait, and its share of one core (the aim is below
// 2 %). Usage: ToolWaitBench [tool seconds, default 10]
#include "app/run/ProcessToolRunner.h"
#include "app/run/RunContext.h"
#include "platform/ProcessTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

class BenchRunContext : public RunContext {
public:
    void setStatus(const QString &text) override
    {
        ++statusUpdates;
        lastStatus = text;
    }
    bool stopRequested() const override { return false; }
    void pumpEvents() override { QCoreApplication::processEvents(); }
    void setFixedAudio(const QString &, const QString &) override {}
    void showVideoEntry(int) override {}
    void setProgress(double) override {}

    int statusUpdates = 0;
    QString lastStatus;
};

double processorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString toolSeconds = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("10");

    QTemporaryDir workspace;
    const QString toolName = QStringLiteral("ToolWaitBench_%1.exe").arg(QCoreApplication::applicationPid());
    if (!workspace.isValid() || !QFile::copy(QStringLiteral("/bin/sleep"), workspace.filePath(toolName))) {
        std::fprintf(stderr, "cannot prepare the workspace\n");
        return 1;
    }
    QFile::setPermissions(workspace.filePath(toolName), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    BenchRunContext context;
    ProcessToolRunner runner(workspace.path(), context, toolName);
    int pass = 0;

    QElapsedTimer wall;
    const double cpuBefore = processorSeconds();
    wall.start();
    const ToolRunResult result = runner.runTool(
        {toolSeconds}, [&pass] { return QStringLiteral("状态：等待 %1").arg(++pass); }, PauseFirst::Yes);
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpuSeconds = processorSeconds() - cpuBefore;

    const qsizetype processCount = ProcessTable::runningProcesses().size();
    std::printf("tool run           : sleep %s (%s)\n", qPrintable(toolSeconds),
                result == ToolRunResult::Finished ? "finished" : "stopped");
    std::printf("processes listed   : %lld\n", static_cast<long long>(processCount));
    std::printf("wall time          : %.3f s\n", wallSeconds);
    std::printf("passes             : %d (%.1f ms each)\n", context.statusUpdates,
                context.statusUpdates > 0 ? wallSeconds * 1000.0 / context.statusUpdates : 0.0);
    std::printf("processor time     : %.3f s (user + system)\n", cpuSeconds);
    std::printf("share of one core  : %.2f %% (target below 2 %%)\n",
                wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0.0);

    // The runner watches its own tools by id; a full look-up by name is only
    // needed when none of its own is left. Its cost, for reference:
    constexpr int LookUps = 200;
    const double lookUpBefore = processorSeconds();
    for (int i = 0; i < LookUps; ++i)
        ProcessExists(toolName);
    const double lookUpMilliseconds = (processorSeconds() - lookUpBefore) * 1000.0 / LookUps;
    std::printf("full look-up       : %.3f ms processor time (%.2f %% of a core at one per pass)\n",
                lookUpMilliseconds,
                100.0 * lookUpMilliseconds / (ProcessToolRunner::PollMilliseconds + lookUpMilliseconds));
    runner.terminateStartedTools();
    return 0;
}
