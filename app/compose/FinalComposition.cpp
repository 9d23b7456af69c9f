#include "app/compose/FinalComposition.h"

#include "app/base/NumberText.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/library/MediaProber.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/PendingOutput.h"
#include "app/run/ToolRunner.h"

#include <QFileInfo>

namespace {

bool outputWritten(const ComposeEnvironment &environment, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0)
        return false;
    return !environment.outputProber || environment.outputProber->probeFrameSize(path).has_value();
}

}  // namespace

QStringList FinalArgumentTail(const QString &outputType, const QString &outputPath,
                              std::optional<double> lengthSeconds)
{
    QStringList tail{QStringLiteral("-y"), QStringLiteral("-q:v"), QStringLiteral("0"),
                     QStringLiteral("-q:a"), QStringLiteral("0")};
    if (lengthSeconds)
        tail << QStringLiteral("-t") << NumberText(*lengthSeconds);
    return tail + MediaExtensions::pixelFormatFor(outputType) + QStringList{outputPath};
}

OutputResult FailOutput(ComposeEnvironment &environment, OutputStatus &status, const QString &reason)
{
    environment.runner.terminateStartedTools();
    return status.fail(reason);
}

std::optional<OutputResult> SoundStepEnd(ComposeEnvironment &environment, OutputStatus &status,
                                         const SoundTrackStep::Result &sound)
{
    if (sound.outcome == SoundTrackStep::Outcome::Stopped)
        return OutputResult::Stopped;
    if (sound.outcome == SoundTrackStep::Outcome::Failed)
        return FailOutput(environment, status, QStringLiteral("音轨没有做成"));
    return std::nullopt;
}

OutputResult RunFinalComposition(ComposeEnvironment &environment, OutputStatus &status,
                                 const QStringList &arguments)
{
    // The tool writes beside the output's name; the output takes that name
    // only once it is complete, so a stop or a failure never costs a
    // complete file of the same name from an earlier run.
    PendingOutput pending(status.outputPath(), environment.workspaceFolder);
    if (!pending.isReserved())
        return status.fail();  // the output folder takes no new file
    QStringList writing = arguments;
    if (!writing.isEmpty() && writing.last() == status.outputPath())
        writing.last() = pending.writingPath();
    status.setWritingPath(pending.writingPath());

    const auto generating = [&status] { return status.generating(); };
    if (environment.runner.runTool(writing, generating) == ToolRunResult::Stopped) {
        // The run ends its tools after a stop anyway; this one goes now, so
        // that its unfinished file can go with it.
        environment.runner.terminateStartedTools();
        pending.discard();
        return OutputResult::Stopped;
    }
    // The tool's exit code is not known here: the file itself tells.
    if (!outputWritten(environment, pending.writingPath()) || !pending.complete()) {
        const OutputResult failed = FailOutput(environment, status);
        pending.discard();
        return failed;
    }
    status.showDone();
    return OutputResult::Done;
}

OutputResult RunJpegSeriesComposition(ComposeEnvironment &environment, OutputStatus &status,
                                      const SoundTrackStep::Result &sound, const QString &frameFolder,
                                      int framesPerSecond, double lengthSeconds,
                                      const QStringList &videoFilter)
{
    QStringList arguments = sound.trackInput();
    arguments << QStringLiteral("-f") << QStringLiteral("image2") << QStringLiteral("-i")
              << MediaExtensions::jpegSeriesPattern(frameFolder) << QStringLiteral("-r")
              << QString::number(framesPerSecond) << videoFilter
              << FinalArgumentTail(environment.settings.outputType, status.outputPath(), lengthSeconds);
    return RunFinalComposition(environment, status, arguments);
}
