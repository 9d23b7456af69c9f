#include "platform/RarTool.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

QString RarTool::locate()
{
#ifdef Q_OS_WIN
    const QString appPaths = QStringLiteral(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\%1");
    for (const QString &tool : {QStringLiteral("WinRAR.exe"), QStringLiteral("HaoZipC.exe")}) {
        const QString path = QSettings(appPaths.arg(tool), QSettings::NativeFormat).value(QStringLiteral(".")).toString();
        if (!path.isEmpty())
            return path;
    }
    return {};
#else
    return QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
#endif
}

QStringList RarTool::extractArguments(const QString &archive, const QString &destinationFolder)
{
#ifdef Q_OS_WIN
    return {QStringLiteral("x"), QStringLiteral("-y"), QDir::toNativeSeparators(archive),
            QDir::toNativeSeparators(destinationFolder)};
#else
    // The files belong to whoever runs the update, never to the archive's owners.
    return {QStringLiteral("-x"), QStringLiteral("--no-same-owner"), QStringLiteral("-f"), archive,
            QStringLiteral("-C"), destinationFolder};
#endif
}

QStringList RarTool::listArguments(const QString &archive)
{
#ifdef Q_OS_WIN
    Q_UNUSED(archive);
    return {};
#else
    return {QStringLiteral("-t"), QStringLiteral("-f"), archive};
#endif
}

bool RarTool::entryLeavesFolder(const QString &entry)
{
    static const QRegularExpression driveLetter(QStringLiteral("^[A-Za-z]:"));
    if (entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) || driveLetter.match(entry).hasMatch())
        return true;
    const QStringList steps = entry.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    return steps.contains(QStringLiteral(".."));
}
