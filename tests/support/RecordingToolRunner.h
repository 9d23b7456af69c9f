#pragma once

#include "app/run/ToolRunner.h"

#include <QList>

#include <QString>
#include <QStringList>
#include <functional>

class RunContext;

// A ToolRunner for tests. It records every argument list and every wait;
// with Execution::RunForReal it also runs each argument list with the
// system ffmpeg, synchronously, in the workspace folder, so a wait always
// finds the tool finished. With RecordOnly it runs nothing, like a workspace
// whose tool is missing.
class RecordingToolRunner : public ToolRunner {
public:
    enum class Execution { RecordOnly, RunForReal };

    struct Wait {
        QString status;        // the status text as shown during the wait
        int startsBefore = 0;  // tool starts recorded before this wait
    };

    RecordingToolRunner(QString workspaceFolder, RunContext &context, Execution execution);

    ToolRun startTool(const QStringList &arguments) override;
    ToolRunResult waitForTool(const StatusText &statusText) override;
    // Every run has ended: real runs are synchronous.
    bool hasEnded(ToolRun) override { return true; }
    int terminateStartedTools() override
    {
        ++terminations;
        return 0;
    }

    // Forgets the argument lists recorded so far.
    void forgetArguments()
    {
        argumentLists.clear();
        arguments.clear();
    }

    QList<QStringList> argumentLists;  // every started argument list, in order
    QStringList arguments;             // the same, each joined by blanks as the tool log shows it
    QList<Wait> waits;
    QStringList failedRuns;  // joined argument lists whose real run did not exit with 0
    QStringList toolOutput;  // the tool's messages of the failed runs
    int terminations = 0;    // calls of terminateStartedTools
    // Called after each start (after the real run, if any): lets a test play
    // a tool that writes a file.
    std::function<void(const QStringList &arguments)> onStart;

private:
    void runForReal(const QStringList &arguments);

    QString m_workspaceFolder;
    RunContext &m_context;
    Execution m_execution;
};
