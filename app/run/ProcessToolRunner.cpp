#include "app/run/ProcessToolRunner.h"

#include "app/run/PauseSeconds.h"
#include "app/run/RunContext.h"
#include "platform/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

ProcessToolRunner::ProcessToolRunner(const QString &workspaceFolder, RunContext &context,
                                     const QString &toolName)
    : m_workspaceFolder(workspaceFolder), m_context(context), m_toolName(toolName)
{
}

QString ProcessToolRunner::toolPath() const
{
    return m_workspaceFolder + QLatin1Char('/') + m_toolName;
}

void ProcessToolRunner::startTool(const QString &arguments)
{
    QProcess process;
    // By absolute path: a relative name would be looked up in the search path,
    // not in the working folder.
    process.setProgram(QDir::toNativeSeparators(QDir(m_workspaceFolder).absoluteFilePath(m_toolName)));
#ifdef _WIN32
    // The string goes to the tool exactly as composed, the way a shell start passes it.
    process.setNativeArguments(arguments);
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
    });
#else
    process.setArguments(QProcess::splitCommand(arguments));
#endif
    process.setWorkingDirectory(m_workspaceFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    // For diagnosing a failing step, ZARV_TOOL_LOG names a file that collects
    // every argument string and the tool's messages.
    const QString logPath = qEnvironmentVariable("ZARV_TOOL_LOG");
    if (logPath.isEmpty()) {
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        QFile log(logPath);
        if (log.open(QIODevice::Append))
            log.write("> " + arguments.toUtf8() + '\n');
        process.setStandardErrorFile(logPath, QIODevice::Append);
    }
    // Detached: the tool is not our child, so an ended tool never lingers
    // waiting to be collected, and a closing window does not take it along.
    qint64 pid = 0;
    if (process.startDetached(&pid) && pid > 0)
        m_startedPids.append(pid);
}

ToolRunResult ProcessToolRunner::waitForTool(const StatusText &statusText, PauseFirst pause)
{
    if (pause == PauseFirst::Yes)
        PauseSeconds(1.0, m_context);
    while (toolProcessExists()) {
        if (m_context.stopRequested())
            return ToolRunResult::Stopped;
        m_context.pumpEvents();
        if (statusText)
            m_context.setStatus(statusText());
        QThread::msleep(PollMilliseconds);
    }
    // None of ours can be running now; forget them so that their ids, once
    // reused by the system, are never mistaken for a tool.
    m_startedPids.clear();
    return ToolRunResult::Finished;
}

bool ProcessToolRunner::toolProcessExists()
{
    // While one of our own tools runs the answer is known from its id alone;
    // that saves reading the names of all processes on every pass. Only when
    // ours have ended is the whole table searched (for tools started by others).
    m_startedPids.removeIf([](qint64 pid) { return !ProcessTable::isRunning(pid); });
    for (const qint64 pid : std::as_const(m_startedPids)) {
        if (isOurLiveTool(pid))
            return true;
    }
    return ProcessExists(m_toolName);
}

bool ProcessToolRunner::isOurLiveTool(qint64 pid) const
{
    // The name check guards against an id the system has since given to
    // another program.
    return ProcessTable::isRunning(pid)
           && ProcessTable::namesEqual(ProcessTable::executableName(pid), m_toolName);
}

QList<qint64> ProcessToolRunner::runningStartedTools() const
{
    QList<qint64> running;
    for (const qint64 pid : m_startedPids) {
        if (isOurLiveTool(pid))
            running.append(pid);
    }
    return running;
}

int ProcessToolRunner::terminateStartedTools()
{
    int ended = 0;
    for (const qint64 pid : runningStartedTools()) {
        if (ProcessTable::terminate(pid))
            ++ended;
    }
    m_startedPids.clear();
    return ended;
}
