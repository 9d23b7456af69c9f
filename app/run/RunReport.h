#pragma once

#include "app/run/OutputRange.h"
#include "app/run/OutputReport.h"
#include "app/run/RunSettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The record of a batch run (or of its plan) as JSON: the run's settings
// (keyed by the controls' names, as a job file sets them), its seed (as
// text: a 64-bit seed does not fit a JSON number), the range of outputs,
// one record per output and the totals of its states.
class RunReport {
public:
    RunSettings settings;
    quint64 seed = 0;
    OutputRange outputs;
    QList<OutputReport> records;

    // Adds a record, not started, for every output of the range that has
    // none (after a stop or a refusal), keeping the records in order.
    void addNotStarted();

    QByteArray toJson() const;
    // False with a message when the file cannot be written.
    bool write(const QString &path, QString *error) const;

    static QJsonObject recordJson(const OutputReport &record);
    // The state words of the records: made, failed, stopped, not started.
    static QString stateText(const OutputReport &record);

    // The records of a report file this program wrote (a slice's, to be
    // merged); empty when the file cannot be read as one.
    static std::optional<QList<OutputReport>> readRecords(const QString &path);
};
