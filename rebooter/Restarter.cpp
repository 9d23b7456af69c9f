#include "rebooter/Restarter.h"

#include "app/update/ProgramUpdate.h"
#include "platform/DialogService.h"
#include "platform/FolderOpener.h"
#include "platform/ProcessTable.h"
#include "platform/RarTool.h"
#include "rebooter/StagedInstall.h"
#include "rebooter/automation/clsWaitableTimer.h"
#include "rebooter/automation/clsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSettings>

#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

// The design's fixed waits are kept as minimums; the real ends are awaited.
constexpr double WaitBeforeUnpackSeconds = 2;
constexpr double WaitAfterUnpackStartSeconds = 12;
constexpr int ProgramEndLimitMs = 60 * 1000;
constexpr int UnpackLimitMs = 10 * 60 * 1000;
constexpr int StartLimitMs = 60 * 1000;
// The restarted program must stay up this long before the old files go.
constexpr double StayUpSeconds = 5;

// Windows of these programs show folders named like anything: never ended.
const QStringList FileManagers = {
    QStringLiteral("explorer.exe"), QStringLiteral("nautilus"),   QStringLiteral("dolphin"),
    QStringLiteral("thunar"),       QStringLiteral("nemo"),       QStringLiteral("caja"),
    QStringLiteral("pcmanfm"),      QStringLiteral("pcmanfm-qt"), QStringLiteral("konqueror")};

QString manualSteps(const QString &archive)
{
    return QStringLiteral("本次自动更新解压失败！请人工右键升级包\n【") + QDir::toNativeSeparators(archive)
           + QStringLiteral("】\n，选择人工解压到当前文件夹下覆盖所有方能成功完成自动更新！");
}

// The per-user settings store: the registry where the other program of the
// installation keeps it on Windows, Qt's settings file elsewhere.
std::unique_ptr<QSettings> settingsOf(const QString &application)
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application);
#endif
}

const QString CloseExeKey = QStringLiteral("Default/CloseExe");

// An installation the user cannot write to: under Program Files on Windows,
// a folder without write permission elsewhere.
QString writeProtectedPlace(const QString &folder)
{
#ifdef Q_OS_WIN
    const QString programFiles = qEnvironmentVariable("programfiles");
    if (!programFiles.isEmpty() && folder.contains(programFiles, Qt::CaseInsensitive)
        && !qEnvironmentVariable("programdata").isEmpty()) {
        return programFiles;
    }
    return {};
#else
    return QFileInfo(folder).isWritable() ? QString() : folder;
#endif
}

QString untouchedText()
{
    return QStringLiteral("程序文件未做任何更改。");
}

}  // namespace

Restarter::Restarter(DialogService &dialogs, FileManager fileManager, const QString &restarterFolder,
                     double waitFactor)
    : m_dialogs(dialogs),
      m_fileManager(fileManager),
      m_folder(QDir::cleanPath(restarterFolder)),
      m_waitFactor(waitFactor > 0 && waitFactor < 1 ? waitFactor : 1)
{
}

RestarterExit Restarter::RunRestarter(const QString &commandLine)
{
    const RestarterCommandLine line = RestarterCommandLine::parse(commandLine);
    switch (line.mode) {
    case RestarterMode::CloseWatch:
        return CloseWatch(line.fields.value(1), line.fields.value(2));
    case RestarterMode::Relaunch:
        return Relaunch(line.fields.value(1));
    case RestarterMode::Update:
        break;
    }
    return UnpackAndRestart(UpdateRequest::fromFields(line.fields));
}

void Restarter::pause(double seconds)
{
    clsWaitableTimer timer([] { QCoreApplication::processEvents(); });
    timer.Wait(static_cast<std::uint32_t>(seconds * m_waitFactor * 1000));
}

void Restarter::showInFileManager(const QString &archive)
{
    if (m_fileManager == FileManager::Skip)
        return;
#ifdef Q_OS_WIN
    QProcess::startDetached(QStringLiteral("explorer.exe"),
                            {QStringLiteral("/select,"), QDir::toNativeSeparators(archive)});
#else
    OpenFolderInFileManager(QFileInfo(archive).absolutePath());
#endif
}

RestarterExit Restarter::fail(const QString &text, const QString &archive)
{
    showInFileManager(archive);
    m_dialogs.inform(text, MessageIcon::Error);
    return RestarterExit::Failed;
}

bool Restarter::waitForProgramEnd(const QString &programFile)
{
    QElapsedTimer timer;
    timer.start();
    while (!installedProcesses(programFile, NameMatch::Exact).isEmpty()) {
        if (timer.elapsed() > ProgramEndLimitMs)
            return false;
        clsWaitableTimer([] { QCoreApplication::processEvents(); }).Wait(200);
    }
    return true;
}

QList<qint64> Restarter::installedProcesses(const QString &name, NameMatch match) const
{
    QList<qint64> pids;
    if (name.isEmpty())
        return pids;
    const qint64 ownPid = QCoreApplication::applicationPid();
    const QString ownName = ProcessTable::executableName(ownPid);
    const QList<ProcessEntry> found = ProcessTable::find([&](const QString &executable) {
        const bool named = match == NameMatch::Exact ? ProcessTable::namesEqual(executable, name)
                                                     : ProcessTable::nameStartsWith(executable, name);
        return named && !ProcessTable::namesEqual(executable, ownName);
    });
    for (const ProcessEntry &process : found) {
        if (process.pid == ownPid)
            continue;
#ifndef Q_OS_WIN
        // Only the installation's own program run by this user: a program of
        // the same name elsewhere, or another user's, is none of its business
        // (and another user's program file cannot even be read).
        const QFileInfo entry(QStringLiteral("/proc/%1").arg(process.pid));
        const QString file = QFileInfo(entry.filePath() + QStringLiteral("/exe")).symLinkTarget();
        if (file.isEmpty() || entry.ownerId() != ::getuid() || QFileInfo(file).absolutePath() != m_folder)
            continue;
#endif
        pids.append(process.pid);
    }
    return pids;
}

bool Restarter::unpack(const QString &tool, const QString &archive, const QString &destination)
{
    QElapsedTimer timer;
    timer.start();
    QProcess unpacker;
    unpacker.setWorkingDirectory(QFileInfo(tool).absolutePath());
    unpacker.setStandardOutputFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
    // WinRAR itself, from the folder of whichever RAR tool was found.
    const QString program = QFileInfo(tool).absolutePath() + QStringLiteral("/WinRAR.exe");
#else
    const QString &program = tool;
#endif
    unpacker.start(program, RarTool::extractArguments(archive, destination));
    bool ended = unpacker.waitForStarted(StartLimitMs);
    while (ended && unpacker.state() != QProcess::NotRunning) {
        if (timer.elapsed() > UnpackLimitMs) {
            unpacker.kill();
            unpacker.waitForFinished();
            ended = false;
            break;
        }
        unpacker.waitForFinished(100);
        QCoreApplication::processEvents();
    }
    const double remaining = WaitAfterUnpackStartSeconds - timer.elapsed() / 1000.0 / m_waitFactor;
    if (remaining > 0)
        pause(remaining);
    return ended && unpacker.exitStatus() == QProcess::NormalExit && unpacker.exitCode() == 0;
}

bool Restarter::startsAndStaysUp(const QString &programFile)
{
    qint64 pid = 0;
    if (!QProcess::startDetached(m_folder + QLatin1Char('/') + programFile, {}, m_folder, &pid) || pid <= 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < StayUpSeconds * m_waitFactor * 1000) {
        if (!ProcessTable::isRunning(pid))
            return false;
        clsWaitableTimer([] { QCoreApplication::processEvents(); }).Wait(100);
    }
    return ProcessTable::isRunning(pid);
}

RestarterExit Restarter::UnpackAndRestart(const UpdateRequest &request)
{
    const QString &archive = request.archive;
    if (archive.isEmpty()) {
        m_dialogs.beep();
        return RestarterExit::Failed;
    }
    if (request.restart == RestartAfterUnpacking::Yes)
        pause(WaitBeforeUnpackSeconds);

    const QString protectedPlace = writeProtectedPlace(m_folder);
    if (!protectedPlace.isEmpty()) {
        return fail(
            QStringLiteral("自动解压更新失败！请不要将本程序安装到系统盘的只读\n") + protectedPlace
                + QStringLiteral("下！\n请重新安装并更改安装目录！\n本次自动更新解压失败！请人工将升级包\n【")
                + QDir::toNativeSeparators(archive) + QStringLiteral("】\n复制到\n")
                + QDir::toNativeSeparators(m_folder)
                + QStringLiteral("下，然后右键之，人工解压到当前文件夹下覆盖所有方能成功完成自动更新！"),
            archive);
    }

    // One update of an installation at a time; the lock of a restarter that
    // died is taken over.
    QLockFile lock(m_folder + QLatin1Char('/') + StagedInstall::workFolderName() + QStringLiteral(".lock"));
    if (!lock.tryLock(0)) {
        m_dialogs.inform(QStringLiteral("另一个更新正在进行中，本次更新未做任何操作！"), MessageIcon::Error);
        return RestarterExit::Failed;
    }
    if (!StagedInstall(m_folder).recover()) {
        return fail(QStringLiteral("上次未完成的更新无法撤销，") + untouchedText() + QLatin1Char('\n')
                        + manualSteps(archive),
                    archive);
    }

    if (!waitForProgramEnd(request.programFile)) {
        return fail(QStringLiteral("《") + request.displayTitle
                        + QStringLiteral("》仍在运行，无法覆盖它的文件！\n") + manualSteps(archive),
                    archive);
    }

    QString tool = RarTool::locateWithAlternative();
#ifdef Q_OS_WIN
    if (tool.isEmpty()) {
        m_dialogs.inform(
            QStringLiteral("本机未安装默认的WinRAR解压缩程序，将立即自动安装！请您务必允许自动安装完毕！"),
            MessageIcon::Error);
        QProcess::startDetached(m_folder + QStringLiteral("/WinRar.exe"), {}, m_folder);
        pause(8);
        tool = RarTool::locate();
    }
#endif
    if (tool.isEmpty()) {
        return fail(QStringLiteral("自动解压更新失败！请自行成功安装默认的WinRAR支持程序！\n")
                        + manualSteps(archive),
                    archive);
    }
    return install(request, tool);
}

RestarterExit Restarter::install(const UpdateRequest &request, const QString &tool)
{
    const QString &archive = request.archive;
    const QString named =
        QStringLiteral("升级包【") + QDir::toNativeSeparators(archive) + QStringLiteral("】");
    // Nothing is touched before every entry's data has passed its checksum.
    switch (ProgramUpdate::checkArchive(tool, archive)) {
    case ProgramUpdate::ArchiveCheck::Sound:
        break;
    case ProgramUpdate::ArchiveCheck::LeavesFolder:
        m_dialogs.inform(named + QStringLiteral("中有文件会解压到程序目录之外，已拒绝解压！"),
                         MessageIcon::Error);
        return RestarterExit::Failed;
    case ProgramUpdate::ArchiveCheck::Damaged:
        return fail(named + QStringLiteral("已损坏或不完整（校验未通过），") + untouchedText()
                        + QStringLiteral("请稍后重新更新！"),
                    archive);
    }

    StagedInstall staged(m_folder);
    if (!staged.prepare()) {
        return fail(QStringLiteral("上次未完成的更新无法撤销，") + untouchedText() + QLatin1Char('\n')
                        + manualSteps(archive),
                    archive);
    }
    const std::optional<QStringList> entries = RarTool::listEntries(tool, archive);
    if (!entries || !unpack(tool, archive, staged.stagingFolder()) || !staged.holdsEntries(*entries)) {
        staged.commit();
        return fail(named + QStringLiteral("解压失败，") + untouchedText() + QLatin1Char('\n')
                        + manualSteps(archive),
                    archive);
    }
    if (!staged.moveIntoPlace()) {
        return fail(QStringLiteral("无法替换程序目录中的文件，已恢复原有文件！\n") + manualSteps(archive),
                    archive);
    }
    if (request.restart == RestartAfterUnpacking::No) {
        staged.commit();
        return RestarterExit::Finished;
    }
    if (!startsAndStaysUp(request.programFile)) {
        // The new version cannot run: the old one comes back and starts.
        const bool restored = staged.rollBack();
        const bool oldStarted =
            restored
            && QProcess::startDetached(m_folder + QLatin1Char('/') + request.programFile, {}, m_folder);
        QString text = QStringLiteral("《") + request.displayTitle + QStringLiteral("》的新版本无法启动，");
        if (!restored)
            text += QStringLiteral("原有文件也未能全部恢复！请重新安装本程序！");
        else if (!oldStarted)
            text += QStringLiteral("已恢复原版本，但原版本也无法启动！");
        else
            text += QStringLiteral("已恢复原版本并重新启动！");
        m_dialogs.inform(text, MessageIcon::Error);
        return RestarterExit::Failed;
    }
    staged.commit();
    m_dialogs.inform(QStringLiteral("《") + request.displayTitle + QStringLiteral("》已成功更新并重启！"),
                     MessageIcon::Information);
    return RestarterExit::Finished;
}

RestarterExit Restarter::CloseWatch(const QString &application, const QString &title)
{
    if (title.isEmpty()) {
        // An empty title is part of every title: nothing could be told apart.
        m_dialogs.inform(QStringLiteral("关闭监视缺少窗口标题，已退出！"), MessageIcon::Error);
        return RestarterExit::Failed;
    }
    settingsOf(application)->setValue(CloseExeKey, QString());  // written when the object goes
    std::unique_ptr<WindowSystem> system = CreateWindowSystem();
    if (!system) {
        m_dialogs.inform(QStringLiteral("无法连接桌面的窗口系统，关闭监视无法进行！"), MessageIcon::Error);
        return RestarterExit::Failed;
    }
    clsWindow window(*system, [] { QCoreApplication::processEvents(); });
    const std::string wanted = title.toStdString();
    const auto look = [&] {
        if (window.GetWindowHwndByTitle(wanted, 1) == 0)
            window.GetWindowHwndByTitleEx(wanted, 1);
        return window.MainHwnd;
    };
    const qint64 ownPid = QCoreApplication::applicationPid();
    const QString ownName = ProcessTable::executableName(ownPid);
    for (;;) {
        if (look() != 0) {
            window.WAIT(3000);
            if (look() != 0) {
                // Only the owner of the watched window itself is ended; a
                // window that merely mentions the title is asked to close.
                const bool exactTitle =
                    QString::fromStdString(window.Caption()).compare(title, Qt::CaseInsensitive) == 0;
                const ProcessId owner = window.ProcessID();
                const QString ownerName = ProcessTable::executableName(owner);
                // A restarter's message box is never answered nor ended.
                const bool restarter = owner == ownPid || ProcessTable::namesEqual(ownerName, ownName);
                const bool mayEnd =
                    exactTitle && owner > 0 && !FileManagers.contains(ownerName, Qt::CaseInsensitive);
                if (!restarter && mayEnd)
                    window.CloseApp();
                if (!restarter)
                    window.CloseWindow();
            }
        }
        const std::unique_ptr<QSettings> settings = settingsOf(application);
        settings->sync();
        if (!settings->value(CloseExeKey).toString().isEmpty())
            break;
        QCoreApplication::processEvents();
    }
    return RestarterExit::Finished;
}

int Restarter::killFirstProcessNamed(const QString &name)
{
    // Never this process nor another restarter (the close-watch service).
    const QList<qint64> pids = installedProcesses(name, NameMatch::StartsWith);
    return !pids.isEmpty() && ProcessTable::terminate(pids.first()) ? 1 : 0;
}

RestarterExit Restarter::Relaunch(const QString &programFile)
{
    for (int round = 0; round < 3; ++round)
        killFirstProcessNamed(programFile);
    pause(1);
    const bool started = !programFile.isEmpty()
                         && QProcess::startDetached(m_folder + QLatin1Char('/') + programFile,
                                                    {QStringLiteral("DoFails")}, m_folder);
    // Returning ends this process, and only this one.
    return started ? RestarterExit::Finished : RestarterExit::Failed;
}
