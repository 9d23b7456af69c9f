#include "app/window/TerminalProgress.h"

#include "app/compose/OutputStatus.h"
#include "app/window/BatchDialogs.h"

#include <QRegularExpression>

#include <cmath>

TerminalProgress::TerminalProgress(BatchDialogs &dialogs, int columns)
    : m_dialogs(dialogs),
      m_columns(columns)
{
}

QString TerminalProgress::stepOf(const QString &statusText)
{
    QString step = statusText;
    if (step.startsWith(QStringLiteral("状态：")))
        step.remove(0, 3);
    // The output number and the times are shown by the line itself.
    static const QRegularExpression tail(QStringLiteral("(；|耗时：).*$"));
    return step.remove(tail);
}

QString TerminalProgress::timeLeftText(qint64 runSeconds, qint64 outputSeconds, int outputNumber,
                                       int outputCount)
{
    const int finished = outputNumber - 1;
    if (finished < 1)
        return QStringLiteral("--:--:--");
    const double meanSeconds = double(runSeconds - outputSeconds) / finished;
    const double left = meanSeconds * (outputCount - finished) - double(outputSeconds);
    return OutputStatus::elapsedText(std::max<qint64>(0, std::llround(left)));
}

QString TerminalProgress::fitted(const QString &text, int columns)
{
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Wide (CJK and full-width) characters take two columns.
        used += text.at(i).unicode() >= 0x2E80 ? 2 : 1;
        if (used > columns)
            return text.left(i);
    }
    return text;
}

void TerminalProgress::startOutput(double percent, int outputCount, const QDateTime &now)
{
    if (m_outputNumber == 0)
        m_runStart = now;
    m_outputCount = outputCount;
    m_outputNumber = int(std::lround(percent * outputCount / 100.0));
    m_outputStart = now;
    m_step.clear();
    // The finished output keeps its line; the new one shows with its first step.
    m_dialogs.endProgressLine();
}

void TerminalProgress::showStatus(const QString &statusText, const QDateTime &now)
{
    if (m_outputNumber == 0) {
        // Before the first output: preparation steps, one line each.
        m_dialogs.printLine(statusText);
        return;
    }
    m_step = stepOf(statusText);
    render(now);
}

void TerminalProgress::render(const QDateTime &now)
{
    const qint64 runSeconds = m_runStart.secsTo(now);
    const qint64 outputSeconds = m_outputStart.secsTo(now);
    const QString line = QStringLiteral("输出 %1/%2｜").arg(m_outputNumber).arg(m_outputCount) + m_step
                         + QStringLiteral("｜已用 ") + OutputStatus::elapsedText(runSeconds)
                         + QStringLiteral("｜剩余约 ")
                         + timeLeftText(runSeconds, outputSeconds, m_outputNumber, m_outputCount);
    // One column is kept free: a full line would wrap on some terminals.
    m_dialogs.printProgress(fitted(line, m_columns - 1));
}
