#include "app/window/SourceListOps.h"

#include "app/base/NumberText.h"
#include "app/library/MediaPatterns.h"
#include "app/library/MediaProber.h"
#include "app/window/ClickableLabel.h"
#include "app/window/MainControls.h"
#include "app/window/SourceGrid.h"
#include "app/window/WindowState.h"
#include "platform/DialogService.h"

#include <QDir>
#include <QLineEdit>

SourceListOps::SourceListOps(MainControls &controls, WindowState &state, DialogService &dialogs,
                             MediaProber &prober, QObject *parent)
    : QObject(parent),
      m_controls(controls),
      m_state(state),
      m_dialogs(dialogs),
      m_prober(prober)
{
    for (SourceKind kind : {SourceKind::Video, SourceKind::Audio, SourceKind::Picture}) {
        SourceGrid *g = grid(kind);
        connect(g, &SourceGrid::clicked, this, [this, kind] { SelectRow(kind); });
        connect(g, &SourceGrid::doubleClickedEntry, this, [this, kind] { DeleteRow(kind); });
        connect(g, &SourceGrid::rightButtonReleased, this, [this, kind] { ClearList(kind); });
    }
    connect(m_controls.LNewAu, &ClickableLabel::doubleClicked, this, &SourceListOps::ChooseFixedAudio);
}

QString SourceListOps::countTag(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Video:
        return QStringLiteral("视频文件列表：");
    case SourceKind::Audio:
        return QStringLiteral("音频文件列表：");
    case SourceKind::Picture:
        return QStringLiteral("图片文件列表：");
    }
    return {};
}

QString SourceListOps::fixedAudioHint()
{
    return QStringLiteral("固定音频文件未指定(双击此指定，或者从音频文件列表中选定)");
}

SourceGrid *SourceListOps::grid(SourceKind kind) const
{
    switch (kind) {
    case SourceKind::Video:
        return m_controls.MSFV;
    case SourceKind::Audio:
        return m_controls.MSFA;
    case SourceKind::Picture:
        return m_controls.MSFP;
    }
    return nullptr;
}

QLabel *SourceListOps::countLabel(SourceKind kind) const
{
    switch (kind) {
    case SourceKind::Video:
        return m_controls.LVideoNum;
    case SourceKind::Audio:
        return m_controls.LAudioNum;
    case SourceKind::Picture:
        return m_controls.LSubNum;
    }
    return nullptr;
}

int &SourceListOps::selectedRow(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Audio:
        return m_state.selectedAudioRow;
    case SourceKind::Picture:
        return m_state.selectedPictureRow;
    case SourceKind::Video:
        break;
    }
    return m_state.selectedVideoRow;
}

void SourceListOps::SelectRow(SourceKind kind)
{
    SourceGrid *g = grid(kind);
    if (g->entryCount() < 1) {
        selectedRow(kind) = -1;
        return;
    }
    const int entry = g->currentEntry();
    selectedRow(kind) = entry;
    if (kind == SourceKind::Audio) {
        const QStringList cells = g->entryCells(entry);
        setFixedAudio(SourceTable::joinPath(cells.value(1), cells.value(0)),
                      cells.value(2) + QStringLiteral("秒"));
    }
}

void SourceListOps::DeleteRow(SourceKind kind)
{
    SourceGrid *g = grid(kind);
    if (g->entryCount() < 1)
        return;
    g->removeEntry(g->currentEntry());
    refreshCountLabel(kind);
    selectedRow(kind) = -1;
    if (kind == SourceKind::Picture && g->entryCount() > 0)
        RefreshPictureRange();
}

void SourceListOps::ClearList(SourceKind kind)
{
    SourceGrid *g = grid(kind);
    if (g->entryCount() < 1)
        return;
    const DialogAnswer answer = m_dialogs.showMessage(
        {QStringLiteral("清空列表？"), MessageIcon::Warning, MessageButtons::YesNo, DialogAnswer::No});
    if (answer != DialogAnswer::Yes)
        return;
    g->clearEntries();
    refreshCountLabel(kind);
    selectedRow(kind) = -1;
}

void SourceListOps::ChooseFixedAudio()
{
    const QStringList chosen = m_dialogs.openFiles(
        {QStringLiteral("添加音频文件"), QStringLiteral("常用音频|") + MediaPatterns::audioPatternText(),
         FileSelection::Single, QDir::homePath()});
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    const QString path = chosen.first();
    // A line break in the path would become a line of the tool's list file.
    if (MediaPatterns::holdsControlCharacter(path)) {
        m_dialogs.inform(QStringLiteral("音频文件的路径中含有换行符等控制字符，不能使用！请改名后再选。"),
                         MessageIcon::Error);
        return;
    }
    const std::optional<double> seconds = m_prober.probeDuration(path);
    // A file whose duration cannot be read shows only the unit, so the run
    // sees a length of 0 rather than a stale one.
    setFixedAudio(path, (seconds ? MediaProber::durationText(*seconds) : QString()) + QStringLiteral("秒"));
}

void SourceListOps::setFixedAudio(const QString &path, const QString &lengthCaption)
{
    m_controls.LNewAu->setText(path);
    m_controls.LNewAu->setToolTip(path);
    m_controls.LAuLen->setText(lengthCaption);
}

void SourceListOps::RefreshPictureRange()
{
    const int pictures = m_controls.MSFP->entryCount();
    const QString lengthText = m_controls.TLen->text();
    const double length = LeadingNumber(lengthText);
    if (length <= pictures)
        m_controls.TPics->setText(lengthText + QLatin1Char('-') + NumberText(2 * length));
    else
        m_controls.TPics->setText(QString::number(pictures) + QLatin1Char('-') + lengthText);
}

int SourceListOps::AppendRow(SourceKind kind, const QStringList &cells)
{
    SourceGrid *g = grid(kind);
    const int entry = g->appendEntry(cells);
    g->setCurrentEntry(entry);
    g->setTopEntry(entry - 6);
    refreshCountLabel(kind);
    refreshMaxListCount();
    return entry;
}

void SourceListOps::RewindLists()
{
    for (SourceKind kind : {SourceKind::Video, SourceKind::Audio, SourceKind::Picture}) {
        SourceGrid *g = grid(kind);
        g->setCurrentEntry(1);
        g->setTopEntry(1);
    }
    m_state.selectedVideoRow = m_state.selectedAudioRow = m_state.selectedPictureRow = -1;
}

void SourceListOps::refreshCountLabel(SourceKind kind)
{
    countLabel(kind)->setText(countTag(kind) + QString::number(grid(kind)->entryCount()));
}

void SourceListOps::refreshMaxListCount()
{
    m_state.maxListCount = std::max(
        {m_controls.MSFV->entryCount(), m_controls.MSFA->entryCount(), m_controls.MSFP->entryCount()});
    m_controls.StbPanel[2]->setText(QStringLiteral("最大文件数：") + QString::number(m_state.maxListCount));
}
