#include "app/window/FileAdding.h"

#include "app/library/FolderPathText.h"
#include "app/library/MediaPatterns.h"
#include "app/library/MediaProber.h"
#include "app/library/ProbeQueue.h"
#include "app/window/MainControls.h"
#include "app/window/ProgressPercent.h"
#include "app/window/RepaintThrottle.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "app/window/WindowState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QString addingStatus()
{
    return QStringLiteral("状态：文件添加中...");
}

// How far the folder walk may run ahead of the rows: enough to keep every
// worker busy, little enough that a stop leaves little probed for nothing.
constexpr int kFilesAhead = 64;

constexpr qint64 kPumpIntervalMs = 10;

QString withUnusableCount(const QString &text, int unusableFiles)
{
    if (unusableFiles == 0)
        return text;
    return text + QStringLiteral("\r\n") + QStringLiteral("有%1个文件无法识别，已跳过！").arg(unusableFiles);
}

}  // namespace

FileAdding::FileAdding(MainControls &controls, WindowState &state, DialogService &dialogs,
                       MediaProber &prober, SourceListOps &lists, QObject *parent)
    : QObject(parent),
      m_controls(controls),
      m_state(state),
      m_dialogs(dialogs),
      m_prober(prober),
      m_lists(lists)
{
    m_state.videoPatterns = MediaPatterns::videoPatternText();
    connect(m_controls.CmdAddFiles, &QPushButton::clicked, this, &FileAdding::AddFiles);
    connect(m_controls.CmdPath, &QPushButton::clicked, this, &FileAdding::ChooseFolder);
    connect(m_controls.CmdReadFiles, &QPushButton::clicked, this, &FileAdding::LoadFolder);
}

void FileAdding::AddFiles()
{
    const CmdObjectTarget chosenTarget = target();
    const std::optional<SourceKind> kind = listToFill(chosenTarget);
    if (!kind)
        return;
    const QString warning =
        QStringLiteral("(一次性不宜加载几千个，有可能导出系统溢出，可分批添加或者自动加载模式)");
    FileDialogRequest request;
    request.selection = FileSelection::Multiple;
    switch (*kind) {
    case SourceKind::Video:
        request.title = QStringLiteral("添加视频文件") + warning;
        request.filter = QStringLiteral("常用视频|") + m_state.videoPatterns;
        break;
    case SourceKind::Audio:
        request.title = QStringLiteral("添加音频文件") + warning;
        request.filter = QStringLiteral("常用音频|") + MediaPatterns::audioPatternText();
        break;
    case SourceKind::Picture:
        request.title = QStringLiteral("添加图片文件") + warning;
        request.filter = QStringLiteral("常用图片|") + MediaPatterns::picturePatternText();
        break;
    }
    // Where the list's own folder was chosen, else at home.
    const QString listFolder = folderLabel(chosenTarget)->text();
    request.initialFolder = QFileInfo(listFolder).isDir() ? listFolder : QDir::homePath();
    const QStringList paths = m_dialogs.openFiles(request);
    if (paths.isEmpty() || paths.first().isEmpty())
        return;

    m_running = true;
    m_state.stopRequested = false;
    m_unusableFiles = 0;
    setStatus(QStringLiteral("状态：添加文件列表中..."));
    const int fileCount = int(paths.size());
    if (fileCount > 1)
        enterBusyState(m_controls.CmdAddFiles);

    {
        ProbeQueue queue(m_prober, makerFor(*kind), [this] { QMetaObject::invokeMethod(this, [] {}); });
        for (const QString &path : paths) {
            const QFileInfo file(path);
            queue.add(file.absolutePath(), file.fileName());
        }
        RepaintThrottle throttle(m_controls.CmdStop->window());
        Filling filling{*kind, queue, throttle, {}};
        for (int i = 1; i <= fileCount; ++i) {
            if (!appendNextRow(filling))
                break;
            setStatus(addingStatus() + QString::number(i) + QLatin1Char('/') + QString::number(fileCount));
            ProgressPercent::set(m_controls.PB, i * 100.0 / fileCount);
            m_lists.refreshMaxListCount();
            pumpAfterRow(filling);
            if (m_state.stopRequested)
                break;
        }
    }

    if (!m_abandoned)
        showCompletion(withUnusableCount(QStringLiteral("文件添加完毕！"), m_unusableFiles));
    finishAdding(m_controls.CmdAddFiles);
    // The range rule only holds for a list with pictures; a folder load
    // rewrites it even for none.
    if (*kind == SourceKind::Picture && m_controls.MSFP->entryCount() > 0)
        m_lists.RefreshPictureRange();
    else if (*kind == SourceKind::Audio)
        m_lists.SelectRow(SourceKind::Audio);
    m_running = false;
    m_abandoned = false;
}

void FileAdding::ChooseFolder()
{
    const CmdObjectTarget chosenTarget = target();
    QString title;
    switch (chosenTarget) {
    case CmdObjectTarget::Video:
        title = QStringLiteral("指定视频目录");
        break;
    case CmdObjectTarget::Audio:
        title = QStringLiteral("指定音频目录");
        break;
    case CmdObjectTarget::Picture:
        title = QStringLiteral("指定图片目录");
        break;
    case CmdObjectTarget::OutputFolder:
        title = QStringLiteral("指定输出目录");
        break;
    }
    const NewFolderButton newFolder =
        chosenTarget == CmdObjectTarget::OutputFolder ? NewFolderButton::Shown : NewFolderButton::Hidden;
    const QString folder = BrowseForFolder(
        title, FolderPathText::folderPickerStart(m_state.programFolder, QDir::homePath()), newFolder);
    if (!folder.isEmpty())
        folderLabel(chosenTarget)->setText(folder);
}

QString FileAdding::BrowseForFolder(const QString &title, const QString &initialFolder,
                                    NewFolderButton newFolderButton)
{
    const QString chosen =
        m_dialogs.chooseFolder({title, FolderPathText::asFolderCaption(initialFolder), newFolderButton});
    const QString folder = FolderPathText::asFolderCaption(chosen);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        return m_state.dataFolder;
    return folder;
}

void FileAdding::LoadFolder()
{
    const CmdObjectTarget chosenTarget = target();
    const std::optional<SourceKind> kind = listToFill(chosenTarget);
    if (!kind)
        return;
    const Subfolders subfolders = m_controls.ChSub->isChecked() ? Subfolders::Included : Subfolders::Excluded;
    const QString folder = folderLabel(chosenTarget)->text();
    // With subfolders included, a folder that holds only subfolders is a
    // fine source.
    if (!FolderScanner::holdsAnyFile(folder, subfolders)) {
        QString text;
        switch (*kind) {
        case SourceKind::Video:
            text = QStringLiteral("请先指定视频来源目录！");
            break;
        case SourceKind::Audio:
            text = QStringLiteral("请先指定音频来源目录！");
            break;
        case SourceKind::Picture:
            text = QStringLiteral("请先指定图片来源目录！");
            break;
        }
        m_dialogs.inform(text, MessageIcon::Error);
        m_controls.CmdPath->setFocus();
        return;
    }

    m_running = true;
    m_unusableFiles = 0;
    enterBusyState(m_controls.CmdReadFiles);
    setStatus(QStringLiteral("状态：加载文件列表中..."));
    const MediaPatterns patterns(patternTextOf(*kind));
    {
        ProbeQueue queue(m_prober, makerFor(*kind), [this] { QMetaObject::invokeMethod(this, [] {}); });
        RepaintThrottle throttle(m_controls.CmdStop->window());
        Filling filling{*kind, queue, throttle, {}};
        // Then the rows of the files the walk found last.
        bool more = ScanFolder(folder, filling, patterns, subfolders) == FolderScanner::Walk::Continue;
        while (more && !m_state.stopRequested && queue.waiting() > 0)
            more = loadNextRow(filling);
    }

    if (!m_abandoned)
        showCompletion(withUnusableCount(QStringLiteral("目标文件加载完毕！"), m_unusableFiles));
    finishAdding(m_controls.CmdReadFiles);
    if (*kind == SourceKind::Picture)
        m_lists.RefreshPictureRange();
    else if (*kind == SourceKind::Audio)
        m_lists.SelectRow(SourceKind::Audio);
    m_running = false;
    m_abandoned = false;
}

void FileAdding::abandon()
{
    if (!m_running)
        return;
    m_abandoned = true;
    m_state.stopRequested = true;
}

FolderScanner::Walk FileAdding::ScanFolder(const QString &folder, Filling &filling,
                                           const MediaPatterns &patterns, Subfolders subfolders)
{
    if (m_state.stopRequested)
        return FolderScanner::Walk::Stop;
    const FolderScanner scanner(subfolders, [&](const QString &current, const QStringList &fileNames) {
        return AddFolderFiles(current, fileNames, filling, patterns);
    });
    return scanner.scan(folder);
}

FolderScanner::Walk FileAdding::AddFolderFiles(const QString &folder, const QStringList &fileNames,
                                               Filling &filling, const MediaPatterns &patterns)
{
    for (const QString &name : fileNames) {
        if (patterns.matches(name))
            filling.queue.add(folder, name);
    }
    // The rows that are ready, and more while the walk is far ahead; on the
    // window thread every file is ready and this folder's rows come now.
    while (!m_state.stopRequested && filling.queue.waiting() > 0
           && (filling.queue.nextIsReady() || filling.queue.waiting() > kFilesAhead)) {
        if (!loadNextRow(filling))
            break;
    }
    pumpEvents();
    return m_state.stopRequested ? FolderScanner::Walk::Stop : FolderScanner::Walk::Continue;
}

bool FileAdding::appendNextRow(Filling &filling)
{
    // Waiting keeps the window answering: a finished probe, a click or the
    // throttle's timer ends each wait.
    while (!filling.queue.nextIsReady()) {
        filling.throttle.beforeWait();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (m_state.stopRequested)
            return false;
    }
    const SourceRowMaker::Row row = filling.queue.takeNext();
    switch (row.outcome) {
    case SourceRowMaker::Outcome::Added:
        m_lists.AppendRow(filling.kind, row.cells);
        filling.throttle.rowAdded();
        break;
    case SourceRowMaker::Outcome::Unusable:
        ++m_unusableFiles;
        break;
    case SourceRowMaker::Outcome::Refused:
        break;
    }
    return true;
}

bool FileAdding::loadNextRow(Filling &filling)
{
    if (!appendNextRow(filling))
        return false;
    setStatus(addingStatus() + QString::number(m_lists.grid(filling.kind)->entryCount()));
    m_lists.refreshMaxListCount();
    pumpAfterRow(filling);
    return true;
}

void FileAdding::pumpAfterRow(Filling &filling)
{
    // Rows probed ahead come faster than anyone clicks: pumping every few
    // milliseconds keeps the window as responsive as pumping after each.
    if (filling.queue.onWorkerThreads() && filling.sincePump.isValid()
        && filling.sincePump.elapsed() < kPumpIntervalMs)
        return;
    pumpEvents();
    filling.sincePump.start();
}

SourceRowMaker FileAdding::makerFor(SourceKind kind) const
{
    // The rule is read when the add starts, as the target is.
    if (kind == SourceKind::Video && m_controls.ChAcc->isChecked())
        return SourceRowMaker(kind, kPreciseQuadLimitSeconds);
    return SourceRowMaker(kind);
}

std::optional<SourceKind> FileAdding::listToFill(CmdObjectTarget chosenTarget)
{
    // One add or load at a time; the output folder is no list (beep).
    if (m_running)
        return std::nullopt;
    const std::optional<SourceKind> kind = listOf(chosenTarget);
    if (!kind)
        m_dialogs.beep();
    return kind;
}

FileAdding::CmdObjectTarget FileAdding::target() const
{
    switch (m_controls.CmbObject->currentIndex()) {
    case 1:
        return CmdObjectTarget::Audio;
    case 2:
        return CmdObjectTarget::Picture;
    case 3:
        return CmdObjectTarget::OutputFolder;
    default:
        return CmdObjectTarget::Video;
    }
}

std::optional<SourceKind> FileAdding::listOf(CmdObjectTarget target)
{
    switch (target) {
    case CmdObjectTarget::Video:
        return SourceKind::Video;
    case CmdObjectTarget::Audio:
        return SourceKind::Audio;
    case CmdObjectTarget::Picture:
        return SourceKind::Picture;
    case CmdObjectTarget::OutputFolder:
        break;
    }
    return std::nullopt;
}

QLabel *FileAdding::folderLabel(CmdObjectTarget target) const
{
    switch (target) {
    case CmdObjectTarget::Video:
        return m_controls.LVideo;
    case CmdObjectTarget::Audio:
        return m_controls.LAudio;
    case CmdObjectTarget::Picture:
        return m_controls.LSubs;
    case CmdObjectTarget::OutputFolder:
        break;
    }
    return m_controls.LOutDir;
}

QString FileAdding::patternTextOf(SourceKind kind) const
{
    switch (kind) {
    case SourceKind::Video:
        return m_state.videoPatterns;
    case SourceKind::Audio:
        return MediaPatterns::audioPatternText();
    case SourceKind::Picture:
        return MediaPatterns::picturePatternText();
    }
    return {};
}

void FileAdding::enterBusyState(QPushButton *ownButton)
{
    m_controls.Frame1->setEnabled(false);
    m_controls.Frame2->setEnabled(false);
    ownButton->setEnabled(false);
    m_controls.CmdStop->setVisible(true);
    m_state.stopRequested = false;
}

void FileAdding::finishAdding(QPushButton *ownButton)
{
    m_lists.RewindLists();
    setStatus(QStringLiteral("状态：文件添加完毕！"));
    ProgressPercent::set(m_controls.PB, 0);
    m_lists.refreshMaxListCount();
    m_controls.Frame1->setEnabled(true);
    ownButton->setEnabled(true);
    m_controls.CmdStop->setVisible(false);
    m_state.stopRequested = false;
    m_controls.Frame2->setEnabled(true);
}

void FileAdding::showCompletion(const QString &text)
{
    m_dialogs.inform(text, MessageIcon::Information);
}

void FileAdding::setStatus(const QString &text)
{
    emit statusText(text);
}

void FileAdding::pumpEvents()
{
    QCoreApplication::processEvents();
}
