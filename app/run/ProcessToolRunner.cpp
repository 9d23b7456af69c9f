#include "app/run/ProcessToolRunner.h"

#include "app/run/RunContext.h"
#include "platform/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>


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

ToolRun ProcessToolRunner::startTool(const QStringList &arguments)
{
    QProcess process;
    // By absolute path: a relative name would be looked up in the search path,
    // not in the working folder.
    process.setProgram(QDir::toNativeSeparators(QDir(m_workspaceFolder).absoluteFilePath(m_toolName)));
    // Each item reaches the tool as one argument, whatever blanks or quotes
    // the paths in it hold.
    process.setArguments(arguments);
#ifdef _WIN32
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_HIDE;
    });
#endif
    process.setWorkingDirectory(m_workspaceFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    // What the tool prints is kept per step: a failed output names the
    // tool's own complaint.
    const QString logFolder = m_workspaceFolder + QStringLiteral("/Logs");
    QDir().mkpath(logFolder);
    const QString messagesPath = logFolder + QStringLiteral("/%1.txt").arg(++m_stepCount);
    process.setStandardErrorFile(messagesPath, QIODevice::Truncate);
    // Detached: the tool is not our child, so an ended tool never lingers
    // waiting to be collected, and a closing window does not take it along.
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        m_steps.append({arguments, QString()});
        return 0;
    }
    m_steps.append({arguments, messagesPath});
    m_liveRuns.insert(++m_lastRun, pid);
    return m_lastRun;
}

ToolRunResult ProcessToolRunner::waitForTool(const StatusText &statusText)
{
    for (forgetEnded(); !m_liveRuns.isEmpty(); forgetEnded()) {
        if (m_context.stopRequested())
            return ToolRunResult::Stopped;
        m_context.pumpEvents();
        if (statusText)
            m_context.setStatus(statusText());
        QThread::msleep(PollMilliseconds);
    }
    return ToolRunResult::Finished;
}

bool ProcessToolRunner::hasEnded(ToolRun run)
{
    forgetEnded();
    return !m_liveRuns.contains(run);
}

void ProcessToolRunner::forgetEnded()
{
    m_liveRuns.removeIf([this](const QHash<ToolRun, qint64>::iterator it) { return !isOurLiveTool(it.value()); });
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
    for (const qint64 pid : m_liveRuns) {
        if (isOurLiveTool(pid))
            running.append(pid);
    }
    return running;
}

namespace {

// The end of a step's messages: the tool's complaint is in its last lines,
// and a tool that printed without end must not fill the memory.
QString readMessagesEnd(const QString &path)
{
    constexpr qint64 KeptBytes = 16 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size > KeptBytes)
        file.seek(size - KeptBytes);
    QString text = QString::fromUtf8(file.read(KeptBytes));
    if (size > KeptBytes)
        text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);  // from a whole line on
    return text;
}

// For diagnosing a failing step, ZARV_TOOL_LOG names a file that collects
// every argument list (joined by blanks) and the tool's messages.
void appendToToolLog(const ToolStep &step)
{
    const QString logPath = qEnvironmentVariable("ZARV_TOOL_LOG");
    if (logPath.isEmpty())
        return;
    QFile log(logPath);
    if (!log.open(QIODevice::Append))
        return;
    log.write("> " + step.arguments.join(QLatin1Char(' ')).toUtf8() + '\n');
    log.write(step.messages.toUtf8());
}

}  // namespace

QList<ToolStep> ProcessToolRunner::takeSteps()
{
    QList<ToolStep> steps;
    for (const StepFile &file : std::as_const(m_steps)) {
        ToolStep step;
        step.arguments = file.arguments;
        if (file.messagesPath.isEmpty()) {
            step.start = ToolStep::Start::Failed;
        } else {
            step.messages = readMessagesEnd(file.messagesPath);
            QFile::remove(file.messagesPath);
        }
        appendToToolLog(step);
        steps.append(step);
    }
    m_steps.clear();
    return steps;
}

int ProcessToolRunner::terminateStartedTools()
{
    int ended = 0;
    for (const qint64 pid : runningStartedTools()) {
        if (ProcessTable::terminate(pid))
            ++ended;
    }
    m_liveRuns.clear();
    return ended;
}
