#pragma once

#include <QDateTime>
#include <QString>

class BatchDialogs;

// The batch mode's progress on a terminal: one line per output, rewritten
// in place as the run goes on ("输出 3/10｜视频生成中...12.345mb｜已用 0:01:05｜
// 剩余约 0:03:10"), instead of a line per status text.
class TerminalProgress {
public:
    TerminalProgress(BatchDialogs &dialogs, int columns);

    // A new output starts; percent is the share of outputs started, out of
    // outputCount.
    void startOutput(double percent, int outputCount, const QDateTime &now);
    void showStatus(const QString &statusText, const QDateTime &now);

    // The step a status text names, without its "状态：" and its times.
    static QString stepOf(const QString &statusText);
    // The time left, from the mean time of the finished outputs; empty
    // before the first one has finished.
    static QString timeLeftText(qint64 runSeconds, qint64 outputSeconds, int outputNumber, int outputCount);
    // The text cut to fit the columns (a Chinese character takes two).
    static QString fitted(const QString &text, int columns);

private:
    void render(const QDateTime &now);

    BatchDialogs &m_dialogs;
    int m_columns;
    int m_outputNumber = 0;
    int m_outputCount = 0;
    QDateTime m_runStart;
    QDateTime m_outputStart;
    QString m_step;
};
