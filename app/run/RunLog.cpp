#include "app/run/RunLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString stateText(OutputResult result)
{
    switch (result) {
    case OutputResult::Done:
        return QStringLiteral("已生成");
    case OutputResult::Failed:
        return QStringLiteral("失败");
    case OutputResult::Stopped:
        return QStringLiteral("已停止");
    case OutputResult::Skipped:
        return QStringLiteral("跳过");
    }
    return {};
}

}  // namespace

RunLog::RunLog(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    const QString name = QStringLiteral("run-%1-%2.log")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")))
                             .arg(QCoreApplication::applicationPid());
    m_file.setFileName(QDir(folder).filePath(name));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    removeOldLogs(folder);
}

bool RunLog::isRunLogName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^run-\\d{8}-\\d{9}-\\d+\\.log$"));
    return pattern.match(fileName).hasMatch();
}

void RunLog::removeOldLogs(const QString &folder) const
{
    QStringList logs;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        if (isRunLogName(name))
            logs.append(name);
    }
    // The names sort by their time; ours is among the newest.
    for (int i = 0; i + KeptRuns < logs.size(); ++i) {
        if (QDir(folder).filePath(logs[i]) != m_file.fileName())
            QFile::remove(QDir(folder).filePath(logs[i]));
    }
}

void RunLog::writeLine(const QString &line)
{
    if (!isOpen())
        return;
    m_file.write(line.toUtf8() + '\n');
    m_file.flush();
}

void RunLog::writeOutput(const OutputReport &report, const QList<ToolStep> &steps)
{
    if (!isOpen())
        return;
    QString head = QStringLiteral("== 输出 %1 %2：%3")
                       .arg(report.outputNumber)
                       .arg(QDir::toNativeSeparators(report.file), stateText(report.result));
    if (!report.reason.isEmpty())
        head += QStringLiteral("（") + report.reason + QStringLiteral("）");
    writeLine(head);
    for (const ToolStep &step : steps) {
        writeLine(QStringLiteral("> ") + step.arguments.join(QLatin1Char(' ')));
        if (step.start == ToolStep::Start::Failed)
            writeLine(QStringLiteral("（媒体工具无法启动）"));
        else if (!step.messages.isEmpty())
            m_file.write(step.messages.toUtf8() + (step.messages.endsWith(QLatin1Char('\n')) ? "" : "\n"));
    }
    m_file.flush();
}
