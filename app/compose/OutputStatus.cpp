#include "app/compose/OutputStatus.h"

#include "app/base/NumberText.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/OutputPath.h"
#include "app/run/OutputReport.h"
#include "app/run/RunContext.h"

#include <QFileInfo>

#include <algorithm>

OutputStatus::OutputStatus(RunContext &context, QString outputPath, int outputNumber, QString outputCountText,
                           QDateTime outputStart, QDateTime runStart)
    : m_context(context),
      m_outputPath(std::move(outputPath)),
      m_writingPath(m_outputPath),
      m_outputNumber(outputNumber),
      m_outputCountText(std::move(outputCountText)),
      m_outputStart(std::move(outputStart)),
      m_runStart(std::move(runStart)),
      m_sizeText(QStringLiteral("0mb"))
{
}

OutputStatus OutputStatus::forOutput(const ComposeEnvironment &environment, int outputNumber,
                                     const QDateTime &outputStart, OutputReport &report)
{
    OutputStatus status(environment.context, OutputPath(environment.settings, outputNumber), outputNumber,
                        environment.settings.maxText, outputStart, environment.runStartTime);
    status.m_report = &report;
    return status;
}

QString OutputStatus::elapsedText(qint64 seconds)
{
    // Shown as a time of day, so a day wraps to 0:00:00.
    const qint64 ofDay = std::max<qint64>(seconds, 0) % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(ofDay / 3600)
        .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString OutputStatus::elapsedText(const QDateTime &since, const QDateTime &now)
{
    return elapsedText(since.secsTo(now));
}

QString OutputStatus::sizeText(const QString &path, const QString &previousText)
{
    const QFileInfo info(path);
    // Before the file exists its size is 0: a size text is always shown.
    if (!info.exists() || !info.isFile())
        return previousText.isEmpty() ? QStringLiteral("0mb") : previousText;
    const double megabytes = double(info.size()) / 1024.0 / 1024.0;
    return NumberText(RoundHalfEven(megabytes, 3)) + QStringLiteral("mb");
}

QString OutputStatus::timesText() const
{
    const QDateTime now = QDateTime::currentDateTime();
    return QStringLiteral("耗时：") + elapsedText(m_outputStart, now) + QStringLiteral("；总耗时：")
           + elapsedText(m_runStart, now);
}

QString OutputStatus::tailText() const
{
    return QStringLiteral("；") + QString::number(m_outputNumber) + QLatin1Char('/') + m_outputCountText
           + QStringLiteral("；") + timesText();
}

QString OutputStatus::generating()
{
    m_sizeText = sizeText(m_writingPath, m_sizeText);
    return QStringLiteral("状态：视频生成中...") + m_sizeText + tailText();
}

void OutputStatus::show(const QString &text)
{
    m_context.setStatus(text);
}

void OutputStatus::showDone()
{
    m_sizeText = sizeText(m_outputPath, m_sizeText);
    show(QStringLiteral("状态：视频生成Ok！") + m_sizeText + tailText());
}

OutputResult OutputStatus::fail(const QString &reason)
{
    if (m_report && m_report->reason.isEmpty())
        m_report->reason = reason;
    m_sizeText = sizeText(m_writingPath, m_sizeText);
    show(QStringLiteral("状态：视频生成失败！") + m_sizeText + tailText());
    return OutputResult::Failed;
}
