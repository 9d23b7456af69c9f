#include "platform/AppFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {
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
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = programFolder;
    folders.dataFolder = withSeparator(data + QStringLiteral("/ZarvMulVideoEditor"));
    QDir().mkpath(folders.workRoot);
    QDir().mkpath(folders.dataFolder);
    return folders;
}
