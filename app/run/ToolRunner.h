#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

enum class ToolRunResult { Finished, Stopped };

// One start of the tool as it went: its arguments and what it printed (its
// last lines at most), or that it could not be started at all.
struct ToolStep {
    enum class Start { Started, Failed };
    QStringList arguments;
    QString messages;
    Start start = Start::Started;
};

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
    virtual ToolRunResult waitForTool(const StatusText &statusText) = 0;
    // True once the given run has ended (or never started).
    virtual bool hasEnded(ToolRun run) = 0;
    // Ends every run of this runner that still runs; returns how many.
    virtual int terminateStartedTools() = 0;
    // The steps started since the last call, in order, with the messages
    // they printed so far; a runner that keeps none gives none.
    virtual QList<ToolStep> takeSteps() { return {}; }

    ToolRunResult runTool(const QStringList &arguments, const StatusText &statusText)
    {
        startTool(arguments);
        return waitForTool(statusText);
    }
    ToolRunResult runTool(const QStringList &arguments, const QString &statusText)
    {
        return runTool(arguments, [statusText] { return statusText; });
    }
};
