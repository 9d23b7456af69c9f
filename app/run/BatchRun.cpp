#include "app/run/BatchRun.h"

#include "app/run/ComposeEnvironment.h"
#include "app/run/OutputPath.h"
#include "app/run/SeededRandom.h"
#include "app/run/ProcessToolRunner.h"
#include "app/run/RunContext.h"
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
    m_context.setStatus(QStringLiteral("状态：临时文件清理中..."));

    // A workspace that cannot be made shows up as failing tool steps.
    Workspace workspace(request.workRoot);
    workspace.rebuild();
    copyTool(request.programFolder, workspace.folder() + QLatin1Char('/') + request.toolName);

    const std::unique_ptr<ToolRunner> runner = m_runners(workspace.folder(), request.toolName);
    SeededRandom seeded(request.seed.value_or(0));
    RandomSource &random = request.seed ? seeded : *request.random;
    ComposeEnvironment environment{request.settings,
                                   request.videos,
                                   request.audios,
                                   request.pictures,
                                   *runner,
                                   m_context,
                                   random,
                                   workspace.folder(),
                                   request.runStartTime,
                                   request.outputProber,
                                   request.programFolder};
    const std::unique_ptr<Composer> composer = m_composers(environment);

    const int outputCount = request.settings.outputCount;
    if (!composer->prepare(workspace)) {
        summary.refused = true;
        summary.failed = std::max(outputCount, 0);
    } else {
        for (int n = 1; n <= outputCount; ++n) {
            m_context.setProgress(float(n * 100.0 / outputCount));
            OutputReport report;
            report.outputNumber = n;
            report.file = OutputPath(request.settings, n);
            const OutputResult result = composer->compose(n, QDateTime::currentDateTime(), report);
            report.result = result;
            summary.outputs.append(report);
            switch (result) {
            case OutputResult::Done: ++summary.done; break;
            case OutputResult::Failed: ++summary.failed; break;
            case OutputResult::Skipped: ++summary.skipped; break;
            case OutputResult::Stopped: break;
            }
            m_context.pumpEvents();
            if (m_context.stopRequested())
                break;
        }
    }
    summary.stopped = m_context.stopRequested();

    // Only the tools this run started are ended; other programs' processes of
    // the same name are left alone.
    runner->terminateStartedTools();
    workspace.remove();
    return summary;
}
