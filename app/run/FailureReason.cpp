#include "app/run/FailureReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryFile>

namespace {

// Below this a disk counts as full: the tool stops writing well before the
// last byte.
constexpr qint64 FullDiskBytes = 1024 * 1024;
constexpr int MaxComplaintCharacters = 300;

bool canCreateFileIn(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.zarv-probe-XXXXXX"));
    return probe.open();
}

bool isFull(const QString &path)
{
    QStorageInfo storage(path);
    return storage.isValid() && storage.isReady() && storage.bytesAvailable() >= 0
           && storage.bytesAvailable() < FullDiskBytes;
}

QString sourceProblem(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("源文件不存在：") + QDir::toNativeSeparators(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("源文件无法读取：") + QDir::toNativeSeparators(path);
    return {};
}

bool mentions(const QList<ToolStep> &steps, const QString &text)
{
    for (const ToolStep &step : steps) {
        if (step.messages.contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The tool names the file it could not use before a colon:
// "/path/a.mp4: No such file or directory". The first step that complains
// holds the cause; a later step missing that step's output only follows it.
QString firstFileComplaint(const QList<ToolStep> &steps, const QString &workspaceFolder)
{
    static const struct {
        const char *complaint;
        const char *reason;
    } known[] = {
        {"Invalid data found when processing input", "源文件无法解码："},
        {"No such file or directory", "文件不存在："},
        {"Permission denied", "没有权限访问："},
        {"No space left on device", "磁盘空间不足："},
    };
    for (const ToolStep &step : steps) {
        for (const QString &line : step.messages.split(QLatin1Char('\n'))) {
            for (const auto &k : known) {
                const int at = line.indexOf(QStringLiteral(": ") + QString::fromUtf8(k.complaint));
                if (at <= 0)
                    continue;
                const QString file = line.left(at).trimmed();
                if (!workspaceFolder.isEmpty() && file.startsWith(workspaceFolder + QLatin1Char('/'))
                    && QString::fromUtf8(k.complaint) != QLatin1String("No space left on device"))
                    continue;  // an intermediate file of an earlier failed step
                return QString::fromUtf8(k.reason) + QDir::toNativeSeparators(file);
            }
        }
    }
    return {};
}

}  // namespace

QString LastToolComplaint(const QString &messages)
{
    static const QRegularExpression error(
        QStringLiteral("error|invalid|no such|denied|failed|cannot|could not|unable|not found|no space|"
                       "does not|unknown|unrecognized|too many"),
        QRegularExpression::CaseInsensitiveOption);
    // ffmpeg's closing summary says nothing of the cause.
    static const QRegularExpression summary(QStringLiteral("^Conversion failed!?$"));
    QString last;
    QString lastError;
    for (QString line : messages.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
        line = line.trimmed();
        if (line.isEmpty() || summary.match(line).hasMatch())
            continue;
        last = line;
        if (error.match(line).hasMatch())
            lastError = line;
    }
    const QString complaint = lastError.isEmpty() ? last : lastError;
    return complaint.left(MaxComplaintCharacters);
}

QString ExplainFailure(const OutputReport &report, const QList<ToolStep> &steps, const FailurePlaces &places)
{
    // A source the tool could not read is the cause of what a composer saw
    // later (an empty quarter).
    const QString fileComplaint = firstFileComplaint(steps, places.workspaceFolder);
    if (!report.reason.isEmpty())
        return fileComplaint.startsWith(QStringLiteral("源文件")) ? fileComplaint : report.reason;

    for (const ToolStep &step : steps) {
        if (step.start != ToolStep::Start::Failed)
            continue;
        if (!QFileInfo::exists(places.toolPath))
            return QStringLiteral("找不到媒体工具：") + QDir::toNativeSeparators(places.toolPath);
        return QStringLiteral("媒体工具无法启动（工作目录所在磁盘可能不允许运行程序）：")
               + QDir::toNativeSeparators(places.toolPath);
    }

    for (const SourceUse &source : report.sources) {
        const QString problem = sourceProblem(source.path);
        if (!problem.isEmpty())
            return problem;
    }
    const QString soundProblem = sourceProblem(report.soundPath);
    if (!soundProblem.isEmpty())
        return soundProblem;

    const QString outputFolder = QDir::toNativeSeparators(places.outputFolder);
    if (!QFileInfo(places.outputFolder).isDir())
        return QStringLiteral("输出目录不存在：") + outputFolder;
    if (!canCreateFileIn(places.outputFolder))
        return QStringLiteral("输出目录不可写：") + outputFolder;
    if (isFull(places.outputFolder))
        return QStringLiteral("输出目录所在磁盘空间不足：") + outputFolder;
    if (!places.workspaceFolder.isEmpty() && isFull(places.workspaceFolder))
        return QStringLiteral("工作目录所在磁盘空间不足：")
               + QDir::toNativeSeparators(places.workspaceFolder);
    if (mentions(steps, QStringLiteral("No space left on device")))
        return QStringLiteral("磁盘空间不足：") + outputFolder;

    if (!fileComplaint.isEmpty())
        return fileComplaint;

    // The step that failed is the last that complained.
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        const QString complaint = LastToolComplaint(step->messages);
        if (!complaint.isEmpty()
            && step->messages.contains(
                QRegularExpression(QStringLiteral("error|invalid|failed|cannot|could not|unable"),
                                   QRegularExpression::CaseInsensitiveOption)))
            return QStringLiteral("媒体工具报错：") + complaint;
    }
    if (steps.isEmpty()) {
        for (const QString &path : places.listedSources) {
            const QString problem = sourceProblem(path);
            if (!problem.isEmpty())
                return problem;
        }
        return QStringLiteral("没有可用的源文件");
    }
    return QStringLiteral("媒体工具没有生成可用的视频");
}
