#pragma once

#include "app/run/OutputRange.h"
#include "app/run/OutputReport.h"
#include "app/run/RunSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

class FileAdding;
class OptionRules;
class SourceListOps;
struct MainControls;
struct WindowServices;
struct WindowState;

// The make and stop buttons' window side: refuses a request that cannot
// start, validates it (applying the corrections), locks the window, hands the
// run to the core's BatchRun, then asks the completion question and restores
// the window.
class RunDriver : public QObject {
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString &text)>;

    RunDriver(MainControls &controls, WindowState &state, const WindowServices &services,
              OptionRules &options, SourceListOps &lists, FileAdding &adding, StatusSink showStatus,
              QObject *parent = nullptr);

    void RunClick();
    void StopClick();
    // Asked when the window is closed; true when it may close. Closing during
    // a run stops it: the run ends its tools and deletes its workspace.
    bool confirmClose();
    // A stop that needs no confirmation (an interrupt of the batch mode, a
    // confirmed close): the run ends without asking its completion question.
    void stopWithoutQuestion();
    // As a confirmed close: a run stops without the completion question, a
    // running add or load ends after its current file, quietly.
    void stopQuietly();
    // Checks the request against the lists (asking where the count must be
    // reconciled) and applies the corrections to the controls; true when a
    // run may start.
    bool validateRequest();

    bool isRunning() const { return m_running; }
    // The executable name of the media tool in the workspace; tests running
    // side by side give each run its own name.
    void setToolName(const QString &name) { m_toolName = name; }
    // Called before the update test of a make press, so that a version check
    // still on its way is answered first.
    void setVersionCheckWait(std::function<void()> wait) { m_awaitVersionCheck = std::move(wait); }

    // Batch-mode choices that no control carries: a seed that makes the run
    // repeatable, and how four-source outputs are made.
    struct BatchOptions {
        std::optional<quint64> seed;
        FourSourcePipeline fourSourcePipeline = FourSourcePipeline::CutsThenComposition;
        // Only these outputs of the batch (with a seed).
        std::optional<OutputRange> outputs;
        // Plan: tell what every output would use, and make nothing.
        enum class Purpose { Make, Plan };
        Purpose purpose = Purpose::Make;
    };
    BatchOptions &batchOptions() { return m_batchOptions; }

    struct Summary {
        int done = 0;
        int failed = 0;  // outputs not made: failed or skipped
        bool stopped = false;
        bool started = false;         // passed the refusals and the validation
        bool planned = true;          // a plan could tell every output's draws
        RunSettings settings;         // as the run read them
        QList<OutputReport> outputs;  // one record per output of the run
        QString logPath;              // the run's log, when one was written
    };
    const Summary &lastSummary() const { return m_summary; }

signals:
    void runFinished();
    // An output starts: the share of outputs started, 0 to 100.
    void progressChanged(double percent);
    // An output has ended; a failed one carries its reason.
    void outputEnded(const OutputReport &report);

public:
    // The question asked when a run would write names an earlier run left in
    // the output folder.
    static QString outputsExistQuestion(const QStringList &existingNames, int nextNumber);

private:
    // Reads the controls, with the numbering this run chose.
    RunSettings runSettings() const;
    // Asks how to treat an earlier run's outputs of the same names: overwrite
    // them, number on after the highest, or give up the run (false).
    bool chooseOutputNumbering();
    bool refuseOutputOverSource(const RunSettings &settings);
    // The completion message: the design's text, up to five failed outputs
    // with their reasons, or how many were made before a stop.
    QString completionText() const;
    void lockWindow();
    void restoreWindow();

    MainControls &m_controls;
    WindowState &m_state;
    const WindowServices &m_services;
    OptionRules &m_options;
    SourceListOps &m_lists;
    FileAdding &m_adding;
    StatusSink m_showStatus;
    std::function<void()> m_awaitVersionCheck;
    QString m_toolName = QStringLiteral("CutMedia.exe");
    bool m_running = false;
    bool m_askCompletion = true;
    int m_firstOutputNumber = 1;
    Summary m_summary;
    BatchOptions m_batchOptions;
};
