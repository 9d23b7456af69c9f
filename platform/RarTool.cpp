#include "platform/RarTool.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef _WIN32
#include <QSettings>
#endif

QString RarTool::locate()
{
#ifdef _WIN32
    // The App Paths key's default value names WinRAR.exe with its full path.
    QSettings appPath(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinRAR.exe"),
                      QSettings::NativeFormat);
    return appPath.value(QStringLiteral("Default")).toString().trimmed();
#else
    return QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
#endif
}

QString RarTool::locateWithAlternative()
{
    const QString tool = locate();
#ifdef _WIN32
    if (tool.isEmpty()) {
        QSettings appPath(
            QStringLiteral(
                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\HaoZipC.exe"),
            QSettings::NativeFormat);
        return appPath.value(QStringLiteral("Default")).toString().trimmed();
    }
#endif
    return tool;
}

QStringList RarTool::extractArguments(const QString &archivePath, const QString &destinationFolder)
{
#ifdef _WIN32
    return {QStringLiteral("x"), QStringLiteral("-y"), QDir::toNativeSeparators(archivePath),
            QDir::toNativeSeparators(destinationFolder)};
#else
    // The files belong to whoever runs the update, never to the archive's owners.
    return {QStringLiteral("-x"), QStringLiteral("--no-same-owner"),
            QStringLiteral("-f"), archivePath,
            QStringLiteral("-C"), destinationFolder};
#endif
}

RarTool::Installation RarTool::installation()
{
#ifdef _WIN32
    return Installation::Installer;
#else
    return Installation::SystemPackage;
#endif
}

std::optional<QStringList> RarTool::listEntries(const QString &toolPath, const QString &archivePath,
                                                int timeLimitMilliseconds)
{
    if (toolPath.isEmpty() || !QFileInfo(archivePath).isFile())
        return std::nullopt;
    QProcess process;
#ifdef _WIN32
    // WinRAR.exe itself prints nothing; its console companion lists bare names.
    process.setProgram(QFileInfo(toolPath).absolutePath() + QStringLiteral("/UnRAR.exe"));
    process.setArguments({QStringLiteral("lb"), QStringLiteral("--"), archivePath});
#else
    process.setProgram(toolPath);
    process.setArguments({QStringLiteral("-t"), QStringLiteral("-f"), archivePath});
#endif
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(timeLimitMilliseconds)) {
        process.kill();
        process.waitForFinished(5000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    QStringList entries;
#ifdef _WIN32
    const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
#else
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
#endif
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            entries.append(line);
    }
    return entries;
}
