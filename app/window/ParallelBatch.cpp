#include "app/window/ParallelBatch.h"

#include "app/run/RunReport.h"

#include <QDir>
#include <QEventLoop>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Child {
    OutputRange outputs;
    QString reportPath;
    std::unique_ptr<QProcess> process;
    QByteArray pending;  // the part of a line not ended yet
};

// Passes on the complete lines a child has printed so far.
void passLines(Child &child, const ParallelBatch::LineSink &printLine, bool flush)
{
    child.pending += child.process->readAllStandardError();
    qsizetype end = 0;
    while ((end = child.pending.indexOf('\n')) >= 0) {
        printLine(QLatin1Char('[') + child.outputs.text() + QStringLiteral("] ")
                  + QString::fromUtf8(child.pending.left(end)).remove(QLatin1Char('\r')));
        child.pending.remove(0, end + 1);
    }
    if (flush && !child.pending.isEmpty()) {
        printLine(QLatin1Char('[') + child.outputs.text() + QStringLiteral("] ")
                  + QString::fromUtf8(child.pending));
        child.pending.clear();
    }
}

}  // namespace

ParallelBatch::Result ParallelBatch::run(const QString &program, const QStringList &childArguments,
                                         quint64 seed, const QVector<OutputRange> &slices,
                                         const QList<OutputReport> &planned, const LineSink &printLine,
                                         const StopTest &stopRequested)
{
    Result result;
    QTemporaryDir reports;
    std::vector<Child> children(size_t(slices.size()));
    QEventLoop loop;
    int running = 0;
    for (int k = 0; k < slices.size(); ++k) {
        Child &child = children[size_t(k)];
        child.outputs = slices.at(k);
        child.reportPath = reports.filePath(QStringLiteral("slice%1.json").arg(k + 1));
        child.process = std::make_unique<QProcess>();
        QProcess *process = child.process.get();
        process->setStandardOutputFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::readyReadStandardError, &loop,
                         [&child, &printLine] { passLines(child, printLine, false); });
        QObject::connect(process, &QProcess::finished, &loop, [&running, &loop] {
            if (--running == 0)
                loop.quit();
        });
        process->start(program, childArguments
                                    + QStringList{QStringLiteral("--seed"), QString::number(seed),
                                                  QStringLiteral("--outputs"), child.outputs.text(),
                                                  QStringLiteral("--report"), child.reportPath});
        if (process->waitForStarted())
            ++running;
        else
            printLine(QStringLiteral("无法启动子进程：") + program + QStringLiteral("（")
                      + process->errorString() + QStringLiteral("）"));
    }

    // A stop reaches every child as an interrupt: each ends its tools,
    // deletes its workspace and writes its report.
    QTimer stopWatch;
    bool stopSent = false;
    QObject::connect(&stopWatch, &QTimer::timeout, &loop, [&] {
        if (stopSent || !stopRequested())
            return;
        stopSent = true;
        for (Child &child : children) {
            if (child.process->state() != QProcess::NotRunning)
                child.process->terminate();
        }
    });
    stopWatch.start(50);
    if (running > 0)
        loop.exec();

    QMap<int, OutputReport> made;
    for (Child &child : children) {
        passLines(child, printLine, true);
        const bool ranThrough = child.process->exitStatus() == QProcess::NormalExit
                                && child.process->error() != QProcess::FailedToStart;
        const int exitCode = ranThrough ? child.process->exitCode() : 1;
        result.exitCode = std::max(result.exitCode, std::min(exitCode == 0 ? 0 : exitCode, 2));
        if (const auto records = RunReport::readRecords(child.reportPath)) {
            for (const OutputReport &record : *records)
                made.insert(record.outputNumber, record);
        } else {
            result.exitCode = std::max(result.exitCode, 1);
            printLine(QLatin1Char('[') + child.outputs.text() + QStringLiteral("] ")
                      + QStringLiteral("子进程没有写出报告（退出码%1）").arg(exitCode));
        }
    }
    for (const OutputReport &record : planned)
        result.records.append(made.value(record.outputNumber, record));
    return result;
}
