#pragma once

#include "app/run/OutputRange.h"
#include "app/run/OutputReport.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Makes the slices of one seeded batch at the same time, each in a child
// process of this program (its own workspace, its own tools), and gathers
// their reports. Every line a child prints is passed on, after the slice's
// outputs in brackets; a stop ends every child the way an interrupt would.
class ParallelBatch {
public:
    using LineSink = std::function<void(const QString &line)>;
    using StopTest = std::function<bool()>;

    struct Result {
        int exitCode = 0;  // the worst of the children's (2 refused, 1 some outputs not made)
        QList<OutputReport>
            records;  // the children's, in output order; planned ones where a child wrote none
    };

    // childArguments: what every child runs with before its slice's
    // options ("--batch", the job, "--one-pass"...). planned: a record for
    // every output of the slices, for those no child reports.
    static Result run(const QString &program, const QStringList &childArguments, quint64 seed,
                      const QVector<OutputRange> &slices, const QList<OutputReport> &planned,
                      const LineSink &printLine, const StopTest &stopRequested);
};
