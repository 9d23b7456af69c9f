#include "app/compose/FinalComposition.h"

#include "app/compose/ComposeEnvironment.h"
#include "app/compose/OutputStatus.h"
#include "app/library/MediaProber.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool writtenSince(const QString &path, const QDateTime &start)
{
    // Compared in whole seconds, as file times may be stored that coarsely.
    return QFileInfo(path).lastModified().toSecsSinceEpoch() >= start.toSecsSinceEpoch();
}

bool outputWritten(const ComposeEnvironment &environment, const OutputStatus &status)
{
    const QFileInfo info(status.outputPath());
    if (!info.isFile() || info.size() <= 0 || !writtenSince(status.outputPath(), status.outputStart()))
        return false;
    return !environment.outputProber
           || environment.outputProber->probeFrameSize(status.outputPath()).has_value();
}

}  // namespace

OutputResult RunFinalComposition(ComposeEnvironment &environment, OutputStatus &status,
                                 const QStringList &arguments)
{
    const auto generating = [&status] { return status.generating(); };
    if (environment.runner.runTool(arguments, generating, PauseFirst::Yes) == ToolRunResult::Stopped)
        return OutputResult::Stopped;
    // The tool's exit code is not known here: the file itself tells.
    if (!outputWritten(environment, status)) {
        // A file this output wrote but could not finish is of no use to anyone.
        if (QFileInfo(status.outputPath()).isFile() && writtenSince(status.outputPath(), status.outputStart()))
            QFile::remove(status.outputPath());
        return status.fail();
    }
    status.showDone();
    return OutputResult::Done;
}
