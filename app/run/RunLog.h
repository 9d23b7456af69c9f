#pragma once

#include "app/run/OutputReport.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QList>
#include <QString>

// The log of one run in the data folder's "Logs": per output its state and
// reason, every tool argument list and what the tool printed. Only the last
// KeptRuns logs are kept; older ones (of our own name pattern only) go.
class RunLog {
public:
    static constexpr int KeptRuns = 10;

    // Opens a new log in folder (made when missing); a log that cannot be
    // written is no log, and the run goes on without it.
    explicit RunLog(const QString &folder);

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    void writeLine(const QString &line);
    void writeOutput(const OutputReport &report, const QList<ToolStep> &steps);

    // The name pattern of the logs this program writes.
    static bool isRunLogName(const QString &fileName);

private:
    void removeOldLogs(const QString &folder) const;

    QFile m_file;
};
