#include "app/window/RunDriver.h"

#include "app/compose/ComposeEnvironment.h"
#include "app/compose/ImageLibrary.h"
#include "app/compose/VideoVideoComposer.h"
#include "app/library/SourceTable.h"
#include "app/run/NumberText.h"
#include "app/run/ProcessToolRunner.h"
#include "app/run/RunValidator.h"
#include "app/run/Workspace.h"
#include "app/window/FFmain.h"
#include "app/window/FileAdding.h"
#include "app/window/OptionRules.h"
#include "app/window/ProgressPercent.h"
#include "app/window/SourceGrid.h"
#include "app/window/WindowRunContext.h"
#include "platform/DialogService.h"
#include "platform/FolderOpener.h"
#include "platform/ProcessTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

namespace {

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

RunDriver::RunDriver(FFmain &window, QObject *parent) : QObject(parent), m_window(window)
{
    connect(m_window.controls().CmdDo, &QPushButton::clicked, this, &RunDriver::RunClick);
    connect(m_window.controls().CmdStop, &QPushButton::clicked, this, &RunDriver::StopClick);
}

void RunDriver::StopClick()
{
    const DialogAnswer answer = m_window.services().dialogs->showMessage(
        {QStringLiteral("终止当前操作？"), MessageIcon::Warning, MessageButtons::OkCancel,
         DialogAnswer::Cancel});
    if (answer == DialogAnswer::Ok)
        m_window.state().stopRequested = true;
}

void RunDriver::stopWithoutQuestion()
{
    m_askCompletion = false;
    m_window.state().stopRequested = true;
}

bool RunDriver::confirmClose()
{
    const DialogAnswer answer = m_window.services().dialogs->showMessage(
        {QStringLiteral("关闭程序"), MessageIcon::Information, MessageButtons::OkCancel,
         DialogAnswer::Ok});
    if (answer != DialogAnswer::Ok)
        return false;
    if (m_running)
        stopWithoutQuestion();  // the run loop ends its own tools and workspace
    else if (m_window.adding().isBusy())
        m_window.state().stopRequested = true;  // a long add or load ends after its current file
    return true;
}

void RunDriver::setProgress(double percent)
{
    ProgressPercent::set(m_window.controls().PB, percent);
}

bool RunDriver::refuseOutputOverSource(const RunSettings &settings)
{
    MainControls &c = m_window.controls();
    QSet<QString> sources;
    for (SourceGrid *grid : {c.MSFV, c.MSFA, c.MSFP}) {
        const SourceTable table = grid->table();
        for (int entry = 1; entry <= table.entryCount(); ++entry)
            sources.insert(canonicalOrAbsolute(table.fullPath(entry)));
    }
    const int outputs = int(LeadingNumber(settings.maxText));
    for (int n = 1; n <= outputs; ++n) {
        if (sources.contains(canonicalOrAbsolute(VideoVideoComposer::outputPath(settings, n)))) {
            m_window.services().dialogs->inform(
                QStringLiteral("输出文件") + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')) +
                    QLatin1Char('.') + settings.outputType +
                    QStringLiteral("与源文件同名，生成时会覆盖源文件！请另选输出目录。"),
                MessageIcon::Error);
            return true;
        }
    }
    return false;
}

bool RunDriver::validateRequest()
{
    MainControls &c = m_window.controls();
    const SourceCounts counts{c.MSFV->entryCount(), c.MSFA->entryCount(), c.MSFP->entryCount()};
    const RunValidation validation =
        ValidateRun(m_window.options().readSettings(), counts, *m_window.services().dialogs);
    // The corrections stand even when the run is refused.
    if (validation.newMaxText)
        c.TMax->setText(*validation.newMaxText);
    if (validation.newPictureRangeText)
        c.TPics->setText(*validation.newPictureRangeText);
    if (validation.reuse == ReuseCorrection::Untick)
        c.ChSame->setChecked(false);
    if (validation.focus == FocusRequest::VideoDraw)
        c.TVedio->setFocus();
    return validation.mayStart;
}

void RunDriver::lockWindow()
{
    MainControls &c = m_window.controls();
    c.Frame1->setEnabled(false);
    c.Frame2->setEnabled(false);
    c.MSFV->setEnabled(false);
    c.MSFP->setEnabled(false);
    c.MSFA->setEnabled(false);
    c.CmdDo->setEnabled(false);
    c.CmdStop->setVisible(true);
    c.CmbObject->setEnabled(false);
}

void RunDriver::restoreWindow()
{
    MainControls &c = m_window.controls();
    WindowState &state = m_window.state();
    c.CmbObject->setEnabled(true);
    setProgress(0);
    state.stopRequested = false;
    c.Frame1->setEnabled(true);
    c.Frame2->setEnabled(true);
    c.MSFV->setEnabled(state.composeMode != ComposeMode::PicturePicture);
    c.MSFP->setEnabled(state.composeMode != ComposeMode::VideoVideo);
    c.MSFA->setEnabled(true);
    c.CmdDo->setEnabled(true);
    c.CmdStop->setVisible(false);
    for (SourceGrid *grid : {c.MSFV, c.MSFP}) {
        grid->setTopEntry(1);
        grid->setCurrentEntry(1);
    }
}

void RunDriver::RunClick()
{
    // The make button stays clickable while a list is being filled; a run
    // then would read a half-filled list.
    if (m_running || m_window.adding().isBusy()) {
        m_window.services().dialogs->beep();
        return;
    }
    MainControls &c = m_window.controls();
    WindowState &state = m_window.state();
    DialogService &dialogs = *m_window.services().dialogs;
    m_summary = Summary();
    m_askCompletion = true;

    const QString outputFolder = c.LOutDir->text();
    if (outputFolder.isEmpty() || !QFileInfo(outputFolder).isDir()) {
        dialogs.inform(QStringLiteral("请先指定输出目录！"), MessageIcon::Error);
        c.CmbObject->setCurrentIndex(3);
        c.CmdPath->setFocus();
        return;
    }
    if (c.CmdUpdate->isEnabled()) {
        dialogs.inform(QStringLiteral("请先更新方能使用！"), MessageIcon::Error);
        c.CmdUpdate->click();
        return;
    }

    m_running = true;
    if (!validateRequest() || refuseOutputOverSource(m_window.options().readSettings())) {
        restoreWindow();
        m_running = false;
        emit runFinished();
        return;
    }
    m_summary.started = true;

    // The settings and the lists are read once: the window is locked while
    // the run lasts, so neither can change under it.
    RunSettings settings = m_window.options().readSettings();
    const SourceTable videos = c.MSFV->table();
    const SourceTable audios = c.MSFA->table();
    const SourceTable pictures = c.MSFP->table();

    lockWindow();
    state.runStartTime = QDateTime::currentDateTime();
    m_window.setStatusText(QStringLiteral("状态：临时文件清理中..."));
    state.stopRequested = false;

    Workspace workspace(state.workRoot);
    workspace.rebuild();
    const QString toolPath = workspace.folder() + QLatin1Char('/') + m_toolName;
    QFile::remove(toolPath);
    if (QFile::copy(state.programFolder + QStringLiteral("/CutMedia.dll"), toolPath))
        QFile::setPermissions(toolPath, QFile::permissions(toolPath) | QFileDevice::ExeOwner |
                                            QFileDevice::ExeUser | QFileDevice::ExeGroup);
    if (settings.slideShow) {
        workspace.createSlideShowFolders(settings.reuse ? SlideShowFolders::PerSource : SlideShowFolders::Shared,
                                         int(LeadingNumber(settings.videoDrawText)));
        const QString black = workspace.folder() + QStringLiteral("/Black.bmp");
        QFile::copy(state.programFolder + QStringLiteral("/Black.dll"), black);
        ImageLibrary::zoomPic(black, black, state.outputWidth, state.outputHeight);
    }

    WindowRunContext context(m_window);
    ProcessToolRunner runner(workspace.folder(), context, m_toolName);
    ComposeEnvironment environment{settings, videos, audios, pictures, runner, context,
                                   *m_window.services().random, workspace.folder(),
                                   state.runStartTime, m_window.services().prober};
    VideoVideoComposer videoVideo(environment);

    const double outputCount = LeadingNumber(settings.maxText);
    for (int n = 1; n <= int(outputCount); ++n) {
        setProgress(n * 100.0 / outputCount);
        const QDateTime outputStart = QDateTime::currentDateTime();
        OutputResult result = OutputResult::Failed;
        switch (settings.composeMode) {
        case ComposeMode::VideoVideo:
            result = videoVideo.composeVideoVideo(outputStart, n);
            break;
        case ComposeMode::PicturePicture:
        case ComposeMode::Mixed:
            // Picture and mixed composition are not available yet.
            context.setStatus(QStringLiteral("状态：此组合模式尚未提供，视频生成失败！"));
            result = OutputResult::Failed;
            break;
        }
        if (result == OutputResult::Done)
            ++m_summary.done;
        else if (result == OutputResult::Failed || result == OutputResult::Skipped)
            ++m_summary.failed;
        context.pumpEvents();
        if (state.stopRequested)
            break;
    }

    m_summary.stopped = state.stopRequested;
    // Only the tools this run started are ended; other programs' processes of
    // the same name are left alone.
    runner.terminateStartedTools();
    workspace.remove();

    if (m_askCompletion) {
        QString text = QStringLiteral("处理完毕！");
        if (m_summary.failed > 0)
            text += QStringLiteral("\r\n其中%1个视频生成失败！").arg(m_summary.failed);
        text += QStringLiteral("\r\n要打开输出目录吗？");
        // No is the default: a stray Enter does not open a file manager.
        const DialogAnswer answer =
            dialogs.showMessage({text, MessageIcon::Information, MessageButtons::YesNo, DialogAnswer::No});
        if (answer == DialogAnswer::Yes)
            OpenFolderInFileManager(outputFolder);
    }
    restoreWindow();
    m_running = false;
    emit runFinished();
}
