#pragma once

#include <QString>
#include <functional>

enum class ToolRunResult { Finished, Stopped };
enum class PauseFirst { No, Yes };

// Starts the media tool with an argument string and waits until no tool
// process is left. The status text is rebuilt on every pass of a wait, so
// texts with elapsed times or a growing size stay current.
class ToolRunner {
public:
    using StatusText = std::function<QString()>;
    virtual ~ToolRunner() = default;

    virtual void startTool(const QString &arguments) = 0;
    virtual ToolRunResult waitForTool(const StatusText &statusText, PauseFirst pause) = 0;

    ToolRunResult runTool(const QString &arguments, const StatusText &statusText,
                          PauseFirst pause = PauseFirst::Yes)
    {
        startTool(arguments);
        return waitForTool(statusText, pause);
    }
    ToolRunResult runTool(const QString &arguments, const QString &statusText,
                          PauseFirst pause = PauseFirst::Yes)
    {
        return runTool(arguments, [statusText] { return statusText; }, pause);
    }
};
