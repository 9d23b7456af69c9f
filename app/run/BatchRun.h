#pragma once

#include "app/library/SourceTable.h"
#include "app/run/Composer.h"
#include "app/run/OutputRange.h"
#include "app/run/OutputReport.h"
#include "app/run/RunSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class MediaProber;
class RandomSource;
class RunContext;
class ToolRunner;

// What one run works with; read once before it starts.
struct BatchRunRequest {
    RunSettings settings;
    SourceTable videos{SourceKind::Video};
    SourceTable audios{SourceKind::Audio};
    SourceTable pictures{SourceKind::Picture};
    QString workRoot;                                   // the workspace is made in there
    QString programFolder;                              // holds CutMedia.dll and Black.dll
    QString toolName = QStringLiteral("CutMedia.exe");  // the tool's name in the workspace
    QDateTime runStartTime;
    RandomSource *random = nullptr;
    // When given, every draw of the run comes from one generator seeded with
    // it instead of random, so the run can be repeated exactly.
    // Each output's draws then come from a generator seeded with the seed
    // and the output's number, so that outputs can be made in any part.
    std::optional<quint64> seed;
    // With a seed: only these outputs are made (the draws of the outputs
    // before them are replayed without tools); empty: all of them.
    std::optional<OutputRange> outputs;
    MediaProber *outputProber = nullptr;  // checks finished outputs; may be null
    // Where the run's log goes (the last few runs are kept); empty: no log.
    QString logFolder;
};

struct BatchRunSummary {
    int done = 0;
    int failed = 0;
    int skipped = 0;
    bool stopped = false;
    bool refused = false;         // the composer's preparation refused the run
    bool planned = true;          // plan: every output's draws could be told ahead
    QList<OutputReport> outputs;  // one per output the run began, in order; a plan: every one
    QString logPath;              // the run's log; empty when none was written
};

// The run of a batch, without any window: rebuilds the workspace, copies the
// tool into it, prepares the composer, makes the outputs one after another
// (showing the progress and testing the stop flag after each), then ends the
// tools it started and deletes the workspace.
class BatchRun {
public:
    using ToolRunnerFactory =
        std::function<std::unique_ptr<ToolRunner>(const QString &workspaceFolder, const QString &toolName)>;

    // The tool runner defaults to real processes.
    BatchRun(RunContext &context, ComposerFactory composers, ToolRunnerFactory runners = {});

    BatchRunSummary run(BatchRunRequest request);
    // What each output of the range would use, without a workspace and
    // without running a tool (needs a seed). Records of a mode that cannot
    // tell its draws ahead hold only the number and the file, and the
    // summary is not planned.
    BatchRunSummary plan(BatchRunRequest request);

private:
    RunContext &m_context;
    ComposerFactory m_composers;
    ToolRunnerFactory m_runners;
};
