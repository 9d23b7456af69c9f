#pragma once

#include "app/compose/OutputResult.h"

#include <QObject>
#include <QString>

class FFmain;
struct RunSettings;
class SourceTable;

// The make and stop buttons: checks a request, rebuilds the workspace, runs
// the composition for every output and cleans up.
class RunDriver : public QObject {
    Q_OBJECT
public:
    explicit RunDriver(FFmain &window, QObject *parent = nullptr);

    void RunClick();
    void StopClick();
    // Asked when the window is closed; true when it may close. Closing during
    // a run stops it: the run ends its tools and deletes its workspace.
    bool confirmClose();
    // A stop that needs no confirmation (an interrupt of the batch mode, a
    // confirmed close): the run ends without asking its completion question.
    void stopWithoutQuestion();
    // Checks the request against the lists (asking where the count must be
    // reconciled) and applies the corrections to the controls; true when a
    // run may start.
    bool validateRequest();

    bool isRunning() const { return m_running; }
    // The executable name of the media tool in the workspace; tests running
    // side by side give each run its own name.
    void setToolName(const QString &name) { m_toolName = name; }

    struct Summary {
        int done = 0;
        int failed = 0;
        bool stopped = false;
        bool started = false;  // passed the refusals and the validation
    };
    const Summary &lastSummary() const { return m_summary; }

signals:
    void runFinished();

private:
    bool refuseOutputOverSource(const RunSettings &settings);
    void lockWindow();
    void restoreWindow();
    void setProgress(double percent);

    FFmain &m_window;
    QString m_toolName = QStringLiteral("CutMedia.exe");
    bool m_running = false;
    bool m_askCompletion = true;
    Summary m_summary;
};
