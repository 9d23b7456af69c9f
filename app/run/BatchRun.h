#pragma once

#include "app/library/SourceTable.h"
#include "app/run/Composer.h"
#include "app/run/RunSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <memory>

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
    QString workRoot;       // the workspace is made in there
    QString programFolder;  // holds CutMedia.dll and Black.dll
    QString toolName = QStringLiteral("CutMedia.exe");  // the tool's name in the workspace
    QDateTime runStartTime;
    RandomSource *random = nullptr;
    // When given, every draw of the run comes from one generator seeded with
    // it instead of random, so the run can be repeated exactly.
    std::optional<quint64> seed;
    MediaProber *outputProber = nullptr;  // checks finished outputs; may be null
};

struct BatchRunSummary {
    int done = 0;
    int failed = 0;
    int skipped = 0;
    bool stopped = false;
    bool refused = false;  // the composer's preparation refused the run
    QList<OutputReport> outputs;  // one per output the run began, in order
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

private:
    RunContext &m_context;
    ComposerFactory m_composers;
    ToolRunnerFactory m_runners;
};
