#include "app/window/RunDriver.h"

#include "app/compose/ComposerFactory.h"
#include "app/library/SourceTable.h"
#include "app/run/BatchRun.h"
#include "app/run/OutputPath.h"
#include "app/run/RunPrecheck.h"
#include "app/run/RunValidator.h"
#include "app/window/FileAdding.h"
#include "app/window/MainControls.h"
#include "app/window/OptionRules.h"
#include "app/window/ProgressPercent.h"
#include "app/window/SourceGrid.h"
#include "app/window/WindowRunContext.h"
#include "app/window/WindowServices.h"
#include "app/window/WindowState.h"
#include "platform/DialogService.h"
#include "platform/FolderOpener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
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

RunDriver::RunDriver(MainControls &controls, WindowState &state, const WindowServices &services,
                     OptionRules &options, SourceListOps &lists, FileAdding &adding, StatusSink showStatus,
                     QObject *parent)
    : QObject(parent),
      m_controls(controls),
      m_state(state),
      m_services(services),
      m_options(options),
      m_lists(lists),
      m_adding(adding),
      m_showStatus(std::move(showStatus))
{
    connect(m_controls.CmdDo, &QPushButton::clicked, this, &RunDriver::RunClick);
    connect(m_controls.CmdStop, &QPushButton::clicked, this, &RunDriver::StopClick);
}

void RunDriver::StopClick()
{
    const DialogAnswer answer =
        m_services.dialogs->showMessage({QStringLiteral("终止当前操作？"), MessageIcon::Warning,
                                         MessageButtons::OkCancel, DialogAnswer::Cancel});
    if (answer == DialogAnswer::Ok)
        m_state.stopRequested = true;
}

void RunDriver::stopWithoutQuestion()
{
    m_askCompletion = false;
    m_state.stopRequested = true;
}

void RunDriver::stopQuietly()
{
    if (m_running)
        stopWithoutQuestion();  // the run loop ends its own tools and workspace
    else
        m_adding.abandon();
}

bool RunDriver::confirmClose()
{
    const DialogAnswer answer = m_services.dialogs->showMessage(
        {QStringLiteral("关闭程序"), MessageIcon::Information, MessageButtons::OkCancel, DialogAnswer::Ok});
    if (answer != DialogAnswer::Ok)
        return false;
    stopQuietly();
    return true;
}

bool RunDriver::refuseOutputOverSource(const RunSettings &settings)
{
    MainControls &c = m_controls;
    QSet<QString> sources;
    for (SourceGrid *grid : {c.MSFV, c.MSFA, c.MSFP}) {
        const SourceTable table = grid->table();
        for (int entry = 1; entry <= table.entryCount(); ++entry)
            sources.insert(canonicalOrAbsolute(table.fullPath(entry)));
    }
    for (int n = 1; n <= settings.outputCount; ++n) {
        const QString output = OutputPath(settings, n);
        if (sources.contains(canonicalOrAbsolute(output))) {
            m_services.dialogs->inform(
                QStringLiteral("输出文件") + QFileInfo(output).fileName()
                    + QStringLiteral("与源文件同名，生成时会覆盖源文件！请另选输出目录。"),
                MessageIcon::Error);
            return true;
        }
    }
    return false;
}

RunSettings RunDriver::runSettings() const
{
    RunSettings settings = m_options.readSettings();
    settings.firstOutputNumber = m_firstOutputNumber;
    return settings;
}

QString RunDriver::outputsExistQuestion(const QStringList &existingNames, int nextNumber)
{
    const QString lineBreak = QStringLiteral("\r\n");
    QString shown = existingNames.mid(0, 3).join(QStringLiteral("、"));
    if (existingNames.size() > 3)
        shown += QStringLiteral("等");
    return QStringLiteral("输出目录中已有%1个同名视频（%2），是以前生成的！")
               .arg(existingNames.size())
               .arg(shown)
           + lineBreak + QStringLiteral("是——覆盖同名视频") + lineBreak
           + QStringLiteral("否——从%1起接着编号，保留原有视频").arg(nextNumber, 4, 10, QLatin1Char('0'))
           + lineBreak + QStringLiteral("取消——取消本次制作");
}

bool RunDriver::chooseOutputNumbering()
{
    m_firstOutputNumber = 1;
    const RunSettings settings = runSettings();
    QStringList existing = ExistingOutputNames(settings);
    // A slice of a batch looks only at its own files: the other slices'
    // share the folder.
    const std::optional<OutputRange> &slice = m_batchOptions.outputs;
    if (slice) {
        existing.clear();
        for (int n = slice->first; n <= std::min(slice->last, settings.outputCount); ++n) {
            if (QFileInfo::exists(OutputPath(settings, n)))
                existing.append(QFileInfo(OutputPath(settings, n)).fileName());
        }
    }
    if (existing.isEmpty())
        return true;
    const int nextNumber = HighestOutputNumber(settings.outputFolderText) + 1;
    // Numbering on is the default: nothing is lost by a stray Enter.
    const DialogAnswer answer =
        m_services.dialogs->showMessage({outputsExistQuestion(existing, nextNumber), MessageIcon::Warning,
                                         MessageButtons::YesNoCancel, DialogAnswer::No});
    switch (answer) {
    case DialogAnswer::Yes:
        return true;
    case DialogAnswer::No:
        if (slice) {
            // Every slice must name its outputs as the whole batch does.
            m_services.dialogs->inform(
                QStringLiteral("只制作部分输出时不能接着编号！请覆盖同名视频或另选输出目录。"),
                MessageIcon::Error);
            return false;
        }
        m_firstOutputNumber = nextNumber;
        return true;
    default:
        break;
    }
    return false;
}

bool RunDriver::validateRequest()
{
    MainControls &c = m_controls;
    const SourceCounts counts{c.MSFV->entryCount(), c.MSFA->entryCount(), c.MSFP->entryCount()};
    const RunValidation validation = ValidateRun(m_options.readSettings(), counts, *m_services.dialogs);
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
    MainControls &c = m_controls;
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
    MainControls &c = m_controls;
    WindowState &state = m_state;
    c.CmbObject->setEnabled(true);
    ProgressPercent::set(c.PB, 0);
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

QString RunDriver::completionText() const
{
    constexpr int NamedFailures = 5;
    QString text = m_summary.stopped ? QStringLiteral("处理已停止！\r\n已生成%1个视频。").arg(m_summary.done)
                                     : QStringLiteral("处理完毕！");
    if (m_summary.failed > 0) {
        text += QStringLiteral("\r\n其中%1个视频生成失败！").arg(m_summary.failed);
        int named = 0;
        for (const OutputReport &report : m_summary.outputs) {
            if (report.reason.isEmpty()
                || (report.result != OutputResult::Failed && report.result != OutputResult::Skipped))
                continue;
            if (named++ == NamedFailures) {
                text += QStringLiteral("\r\n……");
                break;
            }
            text += QStringLiteral("\r\n") + QFileInfo(report.file).fileName() + QStringLiteral("：")
                    + report.reason;
        }
        if (!m_summary.logPath.isEmpty())
            text += QStringLiteral("\r\n详细记录见：") + QDir::toNativeSeparators(m_summary.logPath);
    }
    return text;
}

void RunDriver::RunClick()
{
    // The make button stays clickable while a list is being filled; a run
    // then would read a half-filled list.
    if (m_running || m_adding.isBusy()) {
        m_services.dialogs->beep();
        return;
    }
    MainControls &c = m_controls;
    WindowState &state = m_state;
    DialogService &dialogs = *m_services.dialogs;
    m_summary = Summary();
    m_firstOutputNumber = 1;
    m_askCompletion = true;

    const QString outputFolder = c.LOutDir->text();
    if (outputFolder.isEmpty() || !QFileInfo(outputFolder).isDir()) {
        dialogs.inform(QStringLiteral("请先指定输出目录！"), MessageIcon::Error);
        c.CmbObject->setCurrentIndex(3);
        c.CmdPath->setFocus();
        return;
    }
    if (m_awaitVersionCheck)
        m_awaitVersionCheck();  // a version published since start-up is seen first
    if (c.CmdUpdate->isEnabled()) {
        dialogs.inform(QStringLiteral("请先更新方能使用！"), MessageIcon::Error);
        c.CmdUpdate->click();
        return;
    }

    // What would fail every output is said now, before anything is made.
    const QString precheck = CheckRunPreconditions(state.programFolder, outputFolder, state.workRoot);
    if (!precheck.isEmpty()) {
        dialogs.inform(precheck, MessageIcon::Error);
        return;
    }

    m_running = true;
    if (!validateRequest() || !chooseOutputNumbering() || refuseOutputOverSource(runSettings())) {
        restoreWindow();
        m_running = false;
        emit runFinished();
        return;
    }
    const std::optional<OutputRange> &outputs = m_batchOptions.outputs;
    if (outputs && outputs->last > m_options.readSettings().outputCount) {
        dialogs.inform(QStringLiteral("要制作的输出%1超出了输出数量（共%2个）！")
                           .arg(outputs->text())
                           .arg(m_options.readSettings().outputCount),
                       MessageIcon::Error);
        restoreWindow();
        m_running = false;
        emit runFinished();
        return;
    }
    m_summary.started = true;

    // The settings and the lists are read once: the window is locked while
    // the run lasts, so neither can change under it.
    BatchRunRequest request;
    request.settings = runSettings();
    request.settings.fourSourcePipeline = m_batchOptions.fourSourcePipeline;
    request.seed = m_batchOptions.seed;
    request.outputs = outputs;
    request.videos = c.MSFV->table();
    request.audios = c.MSFA->table();
    request.pictures = c.MSFP->table();
    request.workRoot = state.workRoot;
    request.programFolder = state.programFolder;
    request.toolName = m_toolName;
    request.random = m_services.random;
    request.outputProber = m_services.prober;
    request.logFolder = m_services.dataFolder.isEmpty()
                            ? QString()
                            : QDir(m_services.dataFolder).filePath(QStringLiteral("Logs"));

    lockWindow();
    state.runStartTime = QDateTime::currentDateTime();
    request.runStartTime = state.runStartTime;
    state.stopRequested = false;

    WindowRunContext context(m_controls, m_state, m_lists, m_showStatus,
                             [this](double percent) { emit progressChanged(percent); });
    m_summary.settings = request.settings;
    const bool planning = m_batchOptions.purpose == BatchOptions::Purpose::Plan;
    context.setOutputSink([this](const OutputReport &report) { emit outputEnded(report); });
    BatchRun batch(context, MakeComposer);
    const BatchRunSummary run = planning ? batch.plan(std::move(request)) : batch.run(std::move(request));
    if (planning)
        m_askCompletion = false;  // nothing was made
    m_summary.planned = run.planned;
    m_summary.outputs = run.outputs;
    m_summary.done = run.done;
    m_summary.failed = run.failed + run.skipped;
    m_summary.stopped = run.stopped;
    m_summary.outputs = run.outputs;
    m_summary.logPath = run.logPath;
    // The status line no longer shows a step of the ended run.
    m_showStatus(m_summary.stopped ? QStringLiteral("状态：已停止，生成了%1个视频。").arg(m_summary.done)
                                   : QStringLiteral("状态：处理完毕。"));

    if (m_askCompletion) {
        const QString text = completionText() + QStringLiteral("\r\n要打开输出目录吗？");
        // No is the default: a stray Enter does not open a file manager.
        const DialogAnswer answer =
            dialogs.showMessage({text, MessageIcon::Information, MessageButtons::YesNo, DialogAnswer::No});
        if (answer == DialogAnswer::Yes && !OpenFolderInFileManager(outputFolder))
            dialogs.inform(QStringLiteral("没有可用的文件管理器，无法打开输出目录：") + outputFolder,
                           MessageIcon::Error);
    }
    restoreWindow();
    m_running = false;
    emit runFinished();
}
