#pragma once

#include "app/run/OutputReport.h"
#include "app/run/ToolRunner.h"

#include <QList>
#include <QString>
#include <QStringList>

// Where a run writes, for telling why an output failed.
struct FailurePlaces {
    QString outputFolder;
    QString workspaceFolder;
    QString toolPath;  // the tool as the run starts it
    // Every file of the run's lists: when an output failed before any tool
    // ran, a listed file that has gone is the likely cause.
    QStringList listedSources;
};

// Why an output failed, in the program's words, from simple checks of the
// files it used and wrote and from what its tool steps printed: the tool
// that could not start, a missing or unreadable source, an output folder that
// takes no file, a full disk, and otherwise the tool's own last complaint.
// A reason the composer gave stands.
QString ExplainFailure(const OutputReport &report, const QList<ToolStep> &steps, const FailurePlaces &places);

// The tool's complaint in its messages: the last line that reads as an
// error, else the last line; empty when it printed nothing.
QString LastToolComplaint(const QString &messages);
