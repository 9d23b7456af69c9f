#include "RecordingToolRunner.h"

#include "ArgumentLists.h"
#include "MediaFactory.h"
#include "app/run/RunContext.h"

#include <QProcess>

RecordingToolRunner::RecordingToolRunner(QString workspaceFolder, RunContext &context, Execution execution)
    : m_workspaceFolder(std::move(workspaceFolder)),
      m_context(context),
      m_execution(execution)
{
}

ToolRun RecordingToolRunner::startTool(const QStringList &argumentList)
{
    argumentLists.append(argumentList);
    // Every recorded list must read as one tool command, in every test.
    const QString problem = ToolCommandProblem(argumentList);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString() << " in \""
                                   << argumentList.join(QStringLiteral("\" \"")).toStdString() << '"';
    arguments.append(argumentList.join(QLatin1Char(' ')));
    if (m_execution == Execution::RunForReal)
        runForReal(argumentList);
    if (onStart)
        onStart(argumentList);
    return argumentLists.size();
}

void RecordingToolRunner::runForReal(const QStringList &argumentList)
{
    QProcess process;
    process.setWorkingDirectory(m_workspaceFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // -nostdin keeps the tool from waiting on the test's terminal.
    process.start(MediaFactory::ffmpegPath(),
                  QStringList{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner")} + argumentList);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(120000);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failedRuns.append(argumentList.join(QLatin1Char(' ')));
        toolOutput.append(QString::fromUtf8(process.readAll()));
    }
}

ToolRunResult RecordingToolRunner::waitForTool(const StatusText &statusText)
{
    const QString text = statusText();
    waits.append({text, int(arguments.size())});
    m_context.setStatus(text);
    m_context.pumpEvents();
    return m_context.stopRequested() ? ToolRunResult::Stopped : ToolRunResult::Finished;
}
