#include "app/run/BatchRun.h"

#include "app/run/ComposeEnvironment.h"
#include "app/run/FailureReason.h"
#include "app/run/OutputPath.h"
#include "app/run/SeededRandom.h"
#include "app/run/ProcessToolRunner.h"
#include "app/run/RunContext.h"
#include "app/run/RunLog.h"
#include "app/run/Workspace.h"

#include <QFile>

#include <algorithm>

namespace {

void copyTool(const QString &programFolder, const QString &toolPath)
{
    QFile::remove(toolPath);
    if (QFile::copy(programFolder + QStringLiteral("/CutMedia.dll"), toolPath))
        QFile::setPermissions(toolPath, QFile::permissions(toolPath) | QFileDevice::ExeOwner
                                            | QFileDevice::ExeUser | QFileDevice::ExeGroup);
}

// The run's context as the composers see it, remembering the last status
// text: a failed output's reason is shown after the composer's failure text.
class StatusMemory : public RunContext {
public:
    explicit StatusMemory(RunContext &context) : m_context(context) {}
    void setStatus(const QString &text) override
    {
        lastStatus = text;
        m_context.setStatus(text);
    }
    bool stopRequested() const override { return m_context.stopRequested(); }
    void pumpEvents() override { m_context.pumpEvents(); }
    void setFixedAudio(const QString &path, const QString &lengthCaption) override
    {
        m_context.setFixedAudio(path, lengthCaption);
    }
    void showVideoEntry(int entry) override { m_context.showVideoEntry(entry); }
    void setProgress(double percent) override { m_context.setProgress(percent); }
    void outputEnded(const OutputReport &report) override { m_context.outputEnded(report); }

    QString lastStatus;

private:
    RunContext &m_context;
};

QString failureStatus(const QString &lastStatus, const QString &reason)
{
    static const QString failed = QStringLiteral("状态：视频生成失败！");
    const QString head = lastStatus.startsWith(failed) ? lastStatus : failed;
    return head + QStringLiteral("；原因：") + reason;
}

}  // namespace

BatchRun::BatchRun(RunContext &context, ComposerFactory composers, ToolRunnerFactory runners)
    : m_context(context), m_composers(std::move(composers)), m_runners(std::move(runners))
{
    if (!m_runners) {
        m_runners = [this](const QString &workspaceFolder, const QString &toolName) {
            return std::make_unique<ProcessToolRunner>(workspaceFolder, m_context, toolName);
        };
    }
}

BatchRunSummary BatchRun::run(BatchRunRequest request)
{
    BatchRunSummary summary;
    StatusMemory context(m_context);
    context.setStatus(QStringLiteral("状态：临时文件清理中..."));

    // A workspace that cannot be made shows up as failing tool steps.
    Workspace workspace(request.workRoot);
    workspace.rebuild();
    const QString toolPath = workspace.folder() + QLatin1Char('/') + request.toolName;
    copyTool(request.programFolder, toolPath);

    RunLog log(request.logFolder);
    summary.logPath = log.isOpen() ? log.path() : QString();
    log.writeLine(QStringLiteral("运行开始：") + request.runStartTime.toString(Qt::ISODate));

    const std::unique_ptr<ToolRunner> runner = m_runners(workspace.folder(), request.toolName);
    SeededRandom seeded(request.seed.value_or(0));
    RandomSource &random = request.seed ? seeded : *request.random;
    ComposeEnvironment environment{request.settings,
                                   request.videos,
                                   request.audios,
                                   request.pictures,
                                   *runner,
                                   context,
                                   random,
                                   workspace.folder(),
                                   request.runStartTime,
                                   request.outputProber,
                                   request.programFolder};
    const std::unique_ptr<Composer> composer = m_composers(environment);
    FailurePlaces places{request.settings.outputFolderText, workspace.folder(), toolPath, {}};
    for (const SourceTable *list : {&request.videos, &request.audios, &request.pictures}) {
        for (int entry = 1; entry <= list->entryCount(); ++entry)
            places.listedSources.append(list->fullPath(entry));
    }

    const int outputCount = request.settings.outputCount;
    if (!composer->prepare(workspace)) {
        summary.refused = true;
        summary.failed = std::max(outputCount, 0);
    } else {
        for (int n = 1; n <= outputCount; ++n) {
            context.setProgress(float(n * 100.0 / outputCount));
            OutputReport report;
            report.outputNumber = n;
            report.file = OutputPath(request.settings, n);
            const OutputResult result = composer->compose(n, QDateTime::currentDateTime(), report);
            report.result = result;
            const QList<ToolStep> steps = runner->takeSteps();
            switch (result) {
            case OutputResult::Done: ++summary.done; break;
            case OutputResult::Failed: ++summary.failed; break;
            case OutputResult::Skipped: ++summary.skipped; break;
            case OutputResult::Stopped: break;
            }
            if (result == OutputResult::Failed || result == OutputResult::Skipped) {
                report.reason = ExplainFailure(report, steps, places);
                context.setStatus(failureStatus(context.lastStatus, report.reason));
            }
            log.writeOutput(report, steps);
            summary.outputs.append(report);
            context.outputEnded(report);
            context.pumpEvents();
            if (context.stopRequested())
                break;
        }
    }
    summary.stopped = context.stopRequested();
    log.writeLine(QStringLiteral("运行结束：已生成%1个，失败%2个%3")
                      .arg(summary.done)
                      .arg(summary.failed + summary.skipped)
                      .arg(summary.stopped ? QStringLiteral("（已停止）") : QString()));

    // Only the tools this run started are ended; other programs' processes of
    // the same name are left alone.
    runner->terminateStartedTools();
    workspace.remove();
    return summary;
}
