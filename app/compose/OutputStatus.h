#pragma once

#include "app/run/OutputResult.h"

#include <QDateTime>
#include <QString>

class RunContext;
struct ComposeEnvironment;
struct OutputReport;

// The status texts of one output: the step texts a composer shows, the
// elapsed times of the output and of the run, and the growing size of the
// output file ("状态：视频生成中...12.345mb；3/10；耗时：0:01:05；总耗时：0:05:30").
class OutputStatus {
public:
    OutputStatus(RunContext &context, QString outputPath, int outputNumber, QString outputCountText,
                 QDateTime outputStart, QDateTime runStart);
    // The status of output outputNumber of the run that environment serves;
    // a failure's reason goes into report.
    static OutputStatus forOutput(const ComposeEnvironment &environment, int outputNumber,
                                  const QDateTime &outputStart, OutputReport &report);

    // Whole seconds as a time of day, "H:MM:SS" (65 s give 0:01:05).
    static QString elapsedText(qint64 seconds);
    static QString elapsedText(const QDateTime &since, const QDateTime &now);
    // The size of a file in megabytes to three decimals + "mb"; the previous
    // text when the file cannot be read, "0mb" when there is none yet.
    static QString sizeText(const QString &path, const QString &previousText);

    // "耗时：" + this output's elapsed time + "；总耗时：" + the run's.
    QString timesText() const;
    // "；" + number + "/" + count + "；" + timesText().
    QString tailText() const;
    // The generating text with the output's size measured anew.
    QString generating();

    void show(const QString &text);
    // Shows "状态：视频生成Ok！" with the size and times.
    void showDone();
    // Shows "状态：视频生成失败！" with the size and times and keeps the
    // first reason given in the report; gives Failed.
    OutputResult fail(const QString &reason = {});

    const QString &outputPath() const { return m_outputPath; }
    // The file whose growing size the generating and failed texts show while
    // the output is written under another name; the output's own by default.
    void setWritingPath(const QString &path) { m_writingPath = path; }
    int outputNumber() const { return m_outputNumber; }
    const QDateTime &outputStart() const { return m_outputStart; }

private:
    RunContext &m_context;
    QString m_outputPath;
    QString m_writingPath;
    int m_outputNumber;
    QString m_outputCountText;
    QDateTime m_outputStart;
    QDateTime m_runStart;
    QString m_sizeText;
    OutputReport *m_report = nullptr;
};
