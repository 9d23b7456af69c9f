#include "platform/AppFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

#ifdef _WIN32

AppFolders windowsFolders(const QString &programFolder)
{
    AppFolders folders;
    folders.programFolder = programFolder;
    const QString programData = QDir::fromNativeSeparators(qEnvironmentVariable("programdata"));
    if (!programData.isEmpty()) {
        folders.dataFolder = withSeparator(withSeparator(programData) + QFileInfo(programFolder).fileName());
        QDir().mkpath(folders.dataFolder);
    } else {
        folders.dataFolder = withSeparator(programFolder);
    }
    QList<AppFolders::DriveSpace> drives;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        drives.append({volume.rootPath(), volume.isValid() && volume.isReady(), volume.bytesAvailable()});
    folders.workRoot = AppFolders::roomiestReadyDrive(drives);
    return folders;
}

#else

// Tells users apart in a shared temporary folder.
QString userTag()
{
    return QString::number(::getuid());
}

#endif

}  // namespace

AppFolders AppFolders::forCurrentUser(const QString &programFolder)
{
#ifdef _WIN32
    return windowsFolders(programFolder);
#else
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
#endif
}

QString AppFolders::roomiestReadyDrive(const QList<DriveSpace> &drives)
{
    QString root;
    qint64 most = 0;
    for (const DriveSpace &drive : drives) {
        if (drive.ready && drive.bytesAvailable > most) {
            most = drive.bytesAvailable;
            root = withSeparator(drive.root);
        }
    }
    return root;
}

bool AppFolders::installedInProtectedFolder(const QString &programFolder)
{
#ifdef _WIN32
    const QString programFiles = QDir::fromNativeSeparators(qEnvironmentVariable("programfiles"));
    return !programFiles.isEmpty() && !qEnvironmentVariableIsEmpty("programdata")
        && QDir::fromNativeSeparators(programFolder).contains(programFiles, Qt::CaseInsensitive);
#else
    return !QFileInfo(programFolder).isWritable();
#endif
}
