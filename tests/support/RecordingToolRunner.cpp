#include "RecordingToolRunner.h"

#include "MediaFactory.h"
#include "app/run/RunContext.h"

#include <QProcess>

RecordingToolRunner::RecordingToolRunner(QString workspaceFolder, RunContext &context,
                                         Execution execution)
    : m_workspaceFolder(std::move(workspaceFolder)), m_context(context), m_execution(execution)
{
}

void RecordingToolRunner::startTool(const QString &argumentText)
{
    arguments.append(argumentText);
    if (m_execution == Execution::RunForReal)
        runForReal(argumentText);
    if (onStart)
        onStart(argumentText);
}

void RecordingToolRunner::runForReal(const QString &argumentText)
{
    QProcess process;
    process.setWorkingDirectory(m_workspaceFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // -nostdin keeps the tool from waiting on the test's terminal.
    process.start(MediaFactory::ffmpegPath(),
                  QStringList{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner")}
                      + QProcess::splitCommand(argumentText));
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(120000);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failedRuns.append(argumentText);
        toolOutput.append(QString::fromUtf8(process.readAll()));
    }
}

ToolRunResult RecordingToolRunner::waitForTool(const StatusText &statusText, PauseFirst pause)
{
    const QString text = statusText();
    waits.append({pause, text, int(arguments.size())});
    m_context.setStatus(text);
    m_context.pumpEvents();
    return m_context.stopRequested() ? ToolRunResult::Stopped : ToolRunResult::Finished;
}
