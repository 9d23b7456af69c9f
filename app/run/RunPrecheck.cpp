#include "app/run/RunPrecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace {

constexpr int ToolAnswerMilliseconds = 5000;

// Copies the tool into a folder of its own under the work root and asks it
// for its version, as a run would start it there.
bool toolRunsIn(const QString &toolSource, const QString &workRoot)
{
    if (!QDir().mkpath(workRoot))
        return false;
    QTemporaryDir probe(QDir(workRoot).filePath(QStringLiteral(".zarv-probe-XXXXXX")));
    if (!probe.isValid())
        return false;
    const QString tool = probe.filePath(QStringLiteral("CutMedia.exe"));
    if (!QFile::copy(toolSource, tool))
        return false;
    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    QProcess process;
    process.setProgram(tool);
    process.setArguments({QStringLiteral("-version")});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(ToolAnswerMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

QString CheckRunPreconditions(const QString &programFolder, const QString &outputFolder,
                              const QString &workRoot)
{
    const QString toolSource = QDir(programFolder).filePath(QStringLiteral("CutMedia.dll"));
    if (!QFileInfo(toolSource).isFile())
        return QStringLiteral("找不到媒体工具：") + QDir::toNativeSeparators(toolSource)
               + QStringLiteral("\r\n请重新安装程序。");
    QTemporaryFile outputProbe(QDir(outputFolder).filePath(QStringLiteral(".zarv-probe-XXXXXX")));
    if (!outputProbe.open())
        return QStringLiteral("输出目录不可写：") + QDir::toNativeSeparators(outputFolder)
               + QStringLiteral("\r\n请另选输出目录。");
    if (!toolRunsIn(toolSource, workRoot))
        return QStringLiteral("媒体工具无法在工作目录中运行：") + QDir::toNativeSeparators(workRoot)
               + QStringLiteral("\r\n工作目录所在磁盘可能已满或不允许运行程序。");
    return {};
}
