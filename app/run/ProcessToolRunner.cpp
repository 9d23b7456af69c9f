#include "app/run/ProcessToolRunner.h"

#include "app/run/RunContext.h"
#include "app/run/WorkspaceRecord.h"
#include "platform/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <memory>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

ProcessToolRunner::ProcessToolRunner(const QString &workspaceFolder, RunContext &context,
                                     const QString &toolName)
    : m_workspaceFolder(workspaceFolder),
      m_context(context),
      m_toolName(toolName)
{
}

QString ProcessToolRunner::toolPath() const
{
    return m_workspaceFolder + QLatin1Char('/') + m_toolName;
}

ToolRun ProcessToolRunner::startTool(const QStringList &arguments)
{
    auto started = std::make_unique<QProcess>();
    QProcess &process = *started;
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
    const qint64 pid = startOwned(process);
    if (pid <= 0) {
        m_steps.append({arguments, QString()});
        return 0;
    }
    m_steps.append({arguments, messagesPath});
    WorkspaceRecord(m_workspaceFolder).toolStarted(pid, m_toolName);
    m_liveRuns.insert(++m_lastRun, pid);
    m_processes.insert(pid, started.release());
    return m_lastRun;
}

qint64 ProcessToolRunner::startOwned(QProcess &process)
{
#ifdef Q_OS_LINUX
    // The tool ends with the program, however the program ends (even killed):
    // no tool of an ended run goes on writing.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);  // the program ended before the signal was asked for
    });
#endif
    process.start();
    if (!process.waitForStarted())
        return 0;
    return process.processId();
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
    m_liveRuns.removeIf(
        [this](const QHash<ToolRun, qint64>::iterator it) { return !isOurLiveTool(it.value()); });
    collectEnded();
}

void ProcessToolRunner::collectEnded()
{
    // An ended tool is collected at once (its id is free again only then).
    for (auto it = m_processes.begin(); it != m_processes.end();) {
        if (ProcessTable::isRunning(it.key())) {
            ++it;
            continue;
        }
        it.value()->waitForFinished(1000);
        delete it.value();
        it = m_processes.erase(it);
    }
}

ProcessToolRunner::~ProcessToolRunner()
{
    // A tool still running goes with its runner.
    for (QProcess *process : std::as_const(m_processes)) {
        process->kill();
        process->waitForFinished(2000);
        delete process;
    }
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
    collectEnded();
    return ended;
}
