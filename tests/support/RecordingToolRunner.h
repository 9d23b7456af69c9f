#pragma once

#include "app/run/ToolRunner.h"

#include <QList>

#include <functional>
#include <QString>
#include <QStringList>

class RunContext;

// A ToolRunner for tests. It records every argument string and every wait;
// with Execution::RunForReal it also runs each argument string with the
// system ffmpeg, synchronously, in the workspace folder, so a wait always
// finds the tool finished. With RecordOnly it runs nothing, like a workspace
// whose tool is missing.
class RecordingToolRunner : public ToolRunner {
public:
    enum class Execution { RecordOnly, RunForReal };

    struct Wait {
        PauseFirst pause = PauseFirst::Yes;
        QString status;      // the status text as shown during the wait
        int startsBefore = 0;  // tool starts recorded before this wait
    };

    RecordingToolRunner(QString workspaceFolder, RunContext &context, Execution execution);

    void startTool(const QString &arguments) override;
    ToolRunResult waitForTool(const StatusText &statusText, PauseFirst pause) override;

    QStringList arguments;     // every started argument string, in order
    QList<Wait> waits;
    QStringList failedRuns;    // argument strings whose real run did not exit with 0
    QStringList toolOutput;    // the tool's messages of the failed runs
    // Called after each start (after the real run, if any): lets a test play
    // a tool that writes a file.
    std::function<void(const QString &arguments)> onStart;

private:
    void runForReal(const QString &argumentText);

    QString m_workspaceFolder;
    RunContext &m_context;
    Execution m_execution;
};
