#include "platform/AppFolders.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {
// Tells users apart in a shared temporary folder.
QString userTag()
{
#ifdef _WIN32
    return qEnvironmentVariable("USERNAME", QStringLiteral("user")).remove(QLatin1Char(' '));
#else
    return QString::number(::getuid());
#endif
}

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
}

AppFolders AppFolders::forCurrentUser(const QString &programFolder)
{
    AppFolders folders;
    folders.programFolder = programFolder;
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::tempPath();
    folders.workRoot = withSeparator(cache + QStringLiteral("/ZarvMulVideoEditor"));
    // Workspace paths go into the tool's argument strings unquoted, so the
    // work root must hold no blank or quote; a cache folder that does falls
    // back to a per-user folder in the temporary folder.
    static const QRegularExpression unsafe(QStringLiteral("[\\s\"']"));
    if (folders.workRoot.contains(unsafe)) {
        folders.workRoot = withSeparator(QDir::tempPath() + QStringLiteral("/ZarvMulVideoEditor-")
                                         + userTag());
    }
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = programFolder;
    folders.dataFolder = withSeparator(data + QStringLiteral("/ZarvMulVideoEditor"));
    QDir().mkpath(folders.workRoot);
    QDir().mkpath(folders.dataFolder);
    return folders;
}
