#pragma once

#include "app/run/ToolRunner.h"

#include <QHash>
#include <QList>
#include <QString>

class QProcess;
class RunContext;

// Runs the media tool as a separate process inside the workspace and waits
// for the processes it started itself, by their ids: another program's
// process of the same name never prolongs a wait. Each start is recorded in
// the workspace (WorkspaceRecord); on Linux a tool also ends with the program.
class ProcessToolRunner : public ToolRunner {
public:
    static QString defaultToolName() { return QStringLiteral("CutMedia.exe"); }
    // Sleep per pass of a wait: keeps the processor idle and still sees a stop
    // well within a tenth of a second.
    static constexpr int PollMilliseconds = 30;

    // The tool file is workspaceFolder + "/" + toolName; it runs with the
    // workspace as its working folder.
    ProcessToolRunner(const QString &workspaceFolder, RunContext &context,
                      const QString &toolName = defaultToolName());
    ~ProcessToolRunner() override;
    ProcessToolRunner(const ProcessToolRunner &) = delete;
    ProcessToolRunner &operator=(const ProcessToolRunner &) = delete;

    // Starts the tool and returns at once. A tool that cannot be started
    // leaves no trace (its run counts as ended); the next step's missing
    // input shows it.
    ToolRun startTool(const QStringList &arguments) override;
    // Follows the runs it started by their process ids, so a run just started
    // needs no time to show up anywhere first. Returns Stopped as soon as the
    // stop flag is seen while a run still goes on; the tool is left running.
    ToolRunResult waitForTool(const StatusText &statusText) override;
    bool hasEnded(ToolRun run) override;
    int terminateStartedTools() override;

    QString toolName() const { return m_toolName; }
    QString toolPath() const;
    QString workspaceFolder() const { return m_workspaceFolder; }
    // Ids of the started processes that still run.
    QList<qint64> runningStartedTools() const;

private:
    bool isOurLiveTool(qint64 pid) const;
    // Forgets the runs that have ended, so that their process ids, once
    // reused by the system, are never mistaken for a tool.
    void forgetEnded();
    // Starts the tool as our own child; its id, or 0.
    static qint64 startOwned(QProcess &process);
    void collectEnded();

    QString m_workspaceFolder;
    RunContext &m_context;
    QString m_toolName;
    QHash<ToolRun, qint64> m_liveRuns;  // run -> process id
    ToolRun m_lastRun = 0;
    QHash<qint64, QProcess *> m_processes;  // process id -> our child, until collected
};
