#pragma once

#include <QString>
#include <QStringList>

#include <functional>

enum class ToolRunResult { Finished, Stopped };
enum class PauseFirst { No, Yes };

// Identifies one start of the media tool; 0 is a start that never ran.
using ToolRun = qint64;

// Starts the media tool with a list of arguments (one item per argument,
// passed to the tool exactly as given) and waits for the runs it started.
// The status text is rebuilt on every pass of a wait, so texts with elapsed
// times or a growing size stay current.
class ToolRunner {
public:
    using StatusText = std::function<QString()>;
    virtual ~ToolRunner() = default;

    // Starts the tool and returns at once.
    virtual ToolRun startTool(const QStringList &arguments) = 0;
    // Waits until no run started by this runner is left (runs of the same
    // tool started by anybody else are not waited for).
    virtual ToolRunResult waitForTool(const StatusText &statusText, PauseFirst pause) = 0;
    // True once the given run has ended (or never started).
    virtual bool hasEnded(ToolRun run) = 0;
    // Ends every run of this runner that still runs; returns how many.
    virtual int terminateStartedTools() = 0;

    ToolRunResult runTool(const QStringList &arguments, const StatusText &statusText,
                          PauseFirst pause = PauseFirst::Yes)
    {
        startTool(arguments);
        return waitForTool(statusText, pause);
    }
    ToolRunResult runTool(const QStringList &arguments, const QString &statusText,
                          PauseFirst pause = PauseFirst::Yes)
    {
        return runTool(arguments, [statusText] { return statusText; }, pause);
    }
};
