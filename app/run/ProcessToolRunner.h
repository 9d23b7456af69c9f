#pragma once

#include "app/run/ToolRunner.h"

#include <QList>
#include <QString>

class RunContext;

// Runs the media tool as a separate, detached process inside the workspace
// and waits for it by watching the process list: the wait lasts while any
// process of the tool's name exists, so runs started back to back are all
// waited for together.
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

    // Starts the tool and returns at once. The argument string is split like a
    // command line: blanks separate, double quotes group and are removed.
    // A tool that cannot be started leaves no trace; the next step's missing
    // input shows it.
    void startTool(const QString &arguments) override;
    // With PauseFirst::Yes waits one second first, so that a tool just started
    // is surely in the process list. Returns Stopped as soon as the stop flag
    // is seen while a tool still runs; the tool is left running.
    ToolRunResult waitForTool(const StatusText &statusText, PauseFirst pause) override;

    // Ends every process started by this runner that still runs (and only
    // those: a process of the same name from elsewhere is left alone).
    // Returns how many were ended.
    int terminateStartedTools();

    QString toolName() const { return m_toolName; }
    QString toolPath() const;
    QString workspaceFolder() const { return m_workspaceFolder; }
    // Ids of the started processes that still run.
    QList<qint64> runningStartedTools() const;

private:
    // True while any process of the tool's name runs.
    bool toolProcessExists();
    bool isOurLiveTool(qint64 pid) const;

    QString m_workspaceFolder;
    RunContext &m_context;
    QString m_toolName;
    QList<qint64> m_startedPids;
};
