#include "app/run/BatchRun.h"

#include "app/run/ComposeEnvironment.h"
#include "app/run/FailureReason.h"
#include "app/run/ForwardingRunContext.h"
#include "app/run/OutputPath.h"
#include "app/run/ProcessToolRunner.h"
#include "app/run/RunContext.h"
#include "app/run/RunLog.h"
#include "app/run/SeededRandom.h"
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

// The runner of a plan, which runs nothing.
class NoToolRunner : public ToolRunner {
public:
    ToolRun startTool(const QStringList &) override { return 0; }
    ToolRunResult waitForTool(const StatusText &) override { return ToolRunResult::Finished; }
    bool hasEnded(ToolRun) override { return true; }
    int terminateStartedTools() override { return 0; }
};

// The outputs a run makes: those asked for, within the batch.
OutputRange rangeOf(const BatchRunRequest &request)
{
    const int count = std::max(request.settings.outputCount, 0);
    OutputRange range = request.outputs.value_or(OutputRange{1, count});
    range.last = std::min(range.last, count);
    return range;
}

OutputReport recordOf(const RunSettings &settings, int outputNumber)
{
    OutputReport record;
    record.outputNumber = outputNumber;
    record.file = OutputPath(settings, outputNumber);
    return record;
}

QString failureStatus(const QString &lastStatus, const QString &reason)
{
    static const QString failed = QStringLiteral("状态：视频生成失败！");
    const QString head = lastStatus.startsWith(failed) ? lastStatus : failed;
    return head + QStringLiteral("；原因：") + reason;
}

// Every output's draws start from a seed of their own.
void startOutput(const BatchRunRequest &request, SeededRandom &seeded, int outputNumber)
{
    if (request.seed)
        seeded.restart(SeededRandom::outputSeed(*request.seed, outputNumber));
}

}  // namespace

BatchRun::BatchRun(RunContext &context, ComposerFactory composers, ToolRunnerFactory runners)
    : m_context(context),
      m_composers(std::move(composers)),
      m_runners(std::move(runners))
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
    m_context.setStatus(QStringLiteral("状态：临时文件清理中..."));

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
    ForwardingRunContext context(m_context);
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

    const OutputRange range = rangeOf(request);
    const RunSettings &settings = request.settings;
    if (!composer->prepare(workspace)) {
        summary.refused = true;
        summary.failed = range.count();
    } else {
        // The outputs before the range take their sets of sources as they
        // would have in the whole batch.
        if (request.seed) {
            context.setQuiet(true);
            for (int n = 1; n < range.first; ++n) {
                startOutput(request, seeded, n);
                OutputReport replayed = recordOf(settings, n);
                composer->plan(n, replayed);
            }
            context.setQuiet(false);
        }
        for (int n = range.first; n <= range.last; ++n) {
            OutputReport record = recordOf(settings, n);
            m_context.setProgress(float((n - range.first + 1) * 100.0 / range.count()));
            startOutput(request, seeded, n);
            const OutputResult result = composer->compose(n, QDateTime::currentDateTime(), record);
            record.result = result;
            const QList<ToolStep> steps = runner->takeSteps();
            switch (result) {
            case OutputResult::Done:
                ++summary.done;
                break;
            case OutputResult::Failed:
                ++summary.failed;
                break;
            case OutputResult::Skipped:
                ++summary.skipped;
                break;
            case OutputResult::Stopped:
                break;
            }
            if (result == OutputResult::Failed || result == OutputResult::Skipped) {
                record.reason = ExplainFailure(record, steps, places);
                context.setStatus(failureStatus(context.lastStatus(), record.reason));
            }
            log.writeOutput(record, steps);
            summary.outputs.append(record);
            context.outputEnded(record);
            m_context.pumpEvents();
            if (m_context.stopRequested())
                break;
        }
    }
    summary.stopped = m_context.stopRequested();
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

BatchRunSummary BatchRun::plan(BatchRunRequest request)
{
    BatchRunSummary summary;
    NoToolRunner runner;
    SeededRandom seeded(request.seed.value_or(0));
    RandomSource &random = request.seed ? seeded : *request.random;
    ForwardingRunContext context(m_context);
    context.setQuiet(true);
    ComposeEnvironment environment{request.settings,
                                   request.videos,
                                   request.audios,
                                   request.pictures,
                                   runner,
                                   context,
                                   random,
                                   QString(),
                                   request.runStartTime,
                                   request.outputProber,
                                   request.programFolder};
    const std::unique_ptr<Composer> composer = m_composers(environment);
    const OutputRange range = rangeOf(request);
    for (int n = 1; n <= range.last; ++n) {
        startOutput(request, seeded, n);
        OutputReport record = recordOf(request.settings, n);
        record.started = false;
        if (!composer->plan(n, record)) {
            summary.planned = false;
            record = recordOf(request.settings, n);
            record.started = false;
        }
        if (range.contains(n))
            summary.outputs.append(record);
    }
    return summary;
}
