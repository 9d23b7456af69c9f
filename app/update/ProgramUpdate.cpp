#include "app/update/ProgramUpdate.h"

#include "app/update/DownloadUrlToFile.h"
#include "app/update/UpdateServer.h"
#include "platform/AppFolders.h"
#include "platform/DialogService.h"
#include "platform/RarTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')) ? folder
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

}  // namespace

ProgramUpdate::ProgramUpdate(const UpdateSetup &setup, DialogService &dialogs) : m_setup(setup), m_dialogs(dialogs)
{
}

QString ProgramUpdate::archivePath() const
{
    const QString folder = AppFolders::installedInProtectedFolder(m_setup.programFolder)
                               ? m_setup.dataFolder
                               : m_setup.programFolder;
    return QDir::toNativeSeparators(withSeparator(folder) + UpdateServer::programTitle() + QStringLiteral(".rar"));
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
    return QStringList{archivePath(), QStringLiteral("1"), UpdateServer::programTitle(), m_setup.windowCaption}
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
    const bool downloaded = DownloadUrlToFile(UpdateServer::fileUrl(m_setup.baseUrl, UpdateServer::installerFileName()),
                                              installer);
    for (;;) {
        if (downloaded)
            QProcess::startDetached(installer, {}, QFileInfo(installer).absolutePath());
        m_dialogs.inform(installerText(), MessageIcon::Information);
        tool = waitForInstalledTool();
        if (!tool.isEmpty())
            return tool;
        const DialogAnswer answer = m_dialogs.showMessage({QStringLiteral("资源文件缺失，请先安装WinRAR解压缩应用程序！"),
                                                           MessageIcon::Information, MessageButtons::RetryCancel,
                                                           DialogAnswer::Retry});
        if (answer != DialogAnswer::Retry)
            return {};
    }
}

ProgramUpdate::Outcome ProgramUpdate::run()
{
    const QString tool = ensureRarTool();
    if (tool.isEmpty())
        return Outcome::Returned;

    const QString archive = archivePath();
    if (QFileInfo(archive).isFile() || QFileInfo(archive).isSymLink())
        QFile::remove(archive);
    if (!DownloadUrlToFile(UpdateServer::fileUrl(m_setup.baseUrl, UpdateServer::archiveFileName()), archive)) {
        m_dialogs.inform(downloadFailedText(), MessageIcon::Warning);
        return Outcome::Returned;
    }
    // Only an archive the tool can read, and that unpacks inside the program
    // folder, is handed over; anything else is treated as a failed download.
    const std::optional<QStringList> entries = RarTool::listEntries(tool, archive);
    if (!entries || !entriesStayInside(*entries)) {
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
