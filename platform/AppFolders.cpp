#include "platform/AppFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

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
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = programFolder;
    folders.dataFolder = withSeparator(data + QStringLiteral("/ZarvMulVideoEditor"));
    QDir().mkpath(folders.workRoot);
    QDir().mkpath(folders.dataFolder);
    return folders;
#endif
}

QString AppFolders::programFolderFor(const QString &binaryFolder)
{
    const QString companion = QStringLiteral("CutMedia.dll");
    if (QFileInfo::exists(withSeparator(binaryFolder) + companion))
        return binaryFolder;
    const QString installed =
        QDir::cleanPath(withSeparator(binaryFolder) + QStringLiteral("../lib/zarvmulvideoeditor"));
    return QFileInfo::exists(withSeparator(installed) + companion) ? installed : binaryFolder;
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
