#include "app/update/ProgramUpdate.h"

#include "app/update/DownloadProgressView.h"
#include "app/update/DownloadUrlToFile.h"
#include "app/update/UpdateServer.h"
#include "app/update/VersionCheck.h"
#include "platform/AppFolders.h"
#include "platform/DialogService.h"
#include "platform/RarTool.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr qint64 InstallerWaitMilliseconds = 60000;

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))
               ? folder
               : folder + QLatin1Char('/');
}

QString installerText()
{
    return QStringLiteral("资源文件缺失，请先安装默认经典的WinRAR解压缩应用程序！\r\n"
                          "对不起！有意不支持您本机安装的非经典的360、2345、便压等等解压缩程序。"
                          "如果您的系统为win7及以上版本，WinRAR安装完毕之后，请务必： \r\n"
                          "右键WinRAR.exe->属性->兼容性->兼容xp3且勾选始终以管理员权限运行");
}

// Polls for the tool while the installer runs, keeping events flowing.
QString waitForInstalledTool()
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const QString tool = RarTool::locate();
        if (!tool.isEmpty() || timer.elapsed() >= InstallerWaitMilliseconds)
            return tool;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(200);
    }
}

bool hasSha256(const QString &path, const QByteArray &expectedHex)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) && hash.result().toHex() == expectedHex;
}

}  // namespace

UrlDownload::Limits ProgramUpdate::defaultArchiveLimits()
{
    UrlDownload::Limits limits;
    limits.total = std::chrono::minutes(30);
    limits.stall = std::chrono::seconds(30);
    limits.minimumBytesPerSecond = 2048;
    limits.rateWindow = std::chrono::seconds(20);
    return limits;
}

ProgramUpdate::ProgramUpdate(const UpdateSetup &setup, DialogService &dialogs, DownloadProgressView *progress,
                             UrlDownload::Limits archiveLimits)
    : m_setup(setup),
      m_dialogs(dialogs),
      m_progress(progress),
      m_archiveLimits(archiveLimits)
{
}

QString ProgramUpdate::noteFilePath() const
{
    return withSeparator(m_setup.dataFolder) + QStringLiteral("Info.txt");
}

ProgramUpdate::ArchiveCheck ProgramUpdate::checkArchive(const QString &toolPath, const QString &archivePath)
{
    const std::optional<QStringList> entries = RarTool::listEntries(toolPath, archivePath);
    if (!entries || entries->isEmpty())
        return ArchiveCheck::Damaged;
    if (!entriesStayInside(*entries))
        return ArchiveCheck::LeavesFolder;
    return RarTool::verifyData(toolPath, archivePath) ? ArchiveCheck::Sound : ArchiveCheck::Damaged;
}

QString ProgramUpdate::archivePath() const
{
    const QString folder = AppFolders::installedInProtectedFolder(m_setup.programFolder)
                               ? m_setup.dataFolder
                               : m_setup.programFolder;
    return QDir::toNativeSeparators(withSeparator(folder) + UpdateServer::programTitle()
                                    + QStringLiteral(".rar"));
}

QString ProgramUpdate::restarterPath() const
{
#ifdef _WIN32
    return withSeparator(m_setup.programFolder) + QStringLiteral("ZarvRebooter.exe");
#else
    return withSeparator(m_setup.programFolder) + QStringLiteral("ZarvRebooter");
#endif
}

QString ProgramUpdate::handOverParameters() const
{
    return QStringList{archivePath(), QStringLiteral("1"), UpdateServer::programTitle(),
                       m_setup.windowCaption}
        .join(QLatin1Char('\t'));
}

bool ProgramUpdate::entriesStayInside(const QStringList &entries)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (entries.isEmpty())
        return false;
    for (QString entry : entries) {
        entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('/')) || entry.contains(drive))
            return false;
        if (entry.split(QLatin1Char('/')).contains(QStringLiteral("..")))
            return false;
    }
    return true;
}

QString ProgramUpdate::ensureRarTool()
{
    QString tool = RarTool::locate();
    if (!tool.isEmpty())
        return tool;
    if (RarTool::installation() == RarTool::Installation::SystemPackage) {
        m_dialogs.inform(installPackageText(), MessageIcon::Information);
        return {};
    }
    const QString installer = withSeparator(m_setup.dataFolder) + QStringLiteral("WinRAR.exe");
    // A WinRAR.exe left from an earlier attempt is never started: only the
    // installer that this call downloaded.
    const bool downloaded = DownloadUrlToFile(
        UpdateServer::fileUrl(m_setup.baseUrl, UpdateServer::installerFileName()), installer);
    for (;;) {
        if (downloaded)
            QProcess::startDetached(installer, {}, QFileInfo(installer).absolutePath());
        m_dialogs.inform(installerText(), MessageIcon::Information);
        tool = waitForInstalledTool();
        if (!tool.isEmpty())
            return tool;
        const DialogAnswer answer = m_dialogs.showMessage(
            {QStringLiteral("资源文件缺失，请先安装WinRAR解压缩应用程序！"), MessageIcon::Information,
             MessageButtons::RetryCancel, DialogAnswer::Retry});
        if (answer != DialogAnswer::Retry)
            return {};
    }
}

ProgramUpdate::DownloadEnd ProgramUpdate::downloadArchive(const QString &archive)
{
    UrlDownload download(UpdateServer::fileUrl(m_setup.baseUrl, UpdateServer::archiveFileName()), archive,
                         m_archiveLimits);
    bool cancelled = false;
    QEventLoop loop;
    QObject::connect(&download, &UrlDownload::finished, &loop, &QEventLoop::quit);
    if (m_progress) {
        m_progress->open([&] {
            cancelled = true;
            download.cancel();
        });
        QObject::connect(&download, &UrlDownload::progressed, &loop,
                         [this](qint64 received, qint64 total) { m_progress->setProgress(received, total); });
    }
    download.start();
    if (!download.isFinished())
        loop.exec();
    if (m_progress)
        m_progress->close();
    if (download.succeeded())
        return DownloadEnd::Complete;
    return cancelled ? DownloadEnd::Cancelled : DownloadEnd::Failed;
}

ProgramUpdate::Outcome ProgramUpdate::run()
{
    const QString tool = ensureRarTool();
    if (tool.isEmpty())
        return Outcome::Returned;

    const QString archive = archivePath();
    if (QFileInfo(archive).isFile() || QFileInfo(archive).isSymLink())
        QFile::remove(archive);
    const DownloadEnd end = downloadArchive(archive);
    if (end == DownloadEnd::Cancelled)
        return Outcome::Returned;
    if (end == DownloadEnd::Failed) {
        m_dialogs.inform(downloadFailedText(), MessageIcon::Warning);
        return Outcome::Returned;
    }
    // Only the archive the note vouches for, that the tool reads whole with
    // every checksum right and that unpacks inside the program folder, is
    // handed over; anything else is treated as a failed download.
    const QByteArray sha256 = VersionCheck::archiveSha256(noteFilePath());
    if ((!sha256.isEmpty() && !hasSha256(archive, sha256))
        || checkArchive(tool, archive) != ArchiveCheck::Sound) {
        QFile::remove(archive);
        m_dialogs.inform(downloadFailedText(), MessageIcon::Warning);
        return Outcome::Returned;
    }
    m_dialogs.inform(downloadedText(), MessageIcon::Information);
    if (!QFileInfo(archive).isFile())
        return Outcome::Returned;

    QProcess restarter;
    restarter.setProgram(restarterPath());
#ifdef _WIN32
    // The restarter reads its whole command line as one tab-separated string.
    restarter.setNativeArguments(handOverParameters());
    restarter.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= CREATE_NO_WINDOW; });
#else
    restarter.setArguments({handOverParameters()});
#endif
    restarter.setWorkingDirectory(m_setup.programFolder);
    return restarter.startDetached() ? Outcome::HandedOver : Outcome::Returned;
}
