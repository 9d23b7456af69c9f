#include "app/window/OptionRules.h"

#include "app/window/ClickableLabel.h"
#include "app/window/MainControls.h"
#include "app/window/SourceListOps.h"
#include "app/window/WindowState.h"
#include "platform/DialogService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

OptionRules::OptionRules(MainControls &controls, WindowState &state, DialogService &dialogs,
                         SourceListOps &lists, QObject *parent)
    : QObject(parent), m_controls(controls), m_state(state), m_dialogs(dialogs), m_lists(lists)
{
}

void OptionRules::applyStartState()
{
    m_controls.ChBat->setChecked(true);
    m_controls.TMax->setText(QStringLiteral("200"));
}

bool OptionRules::eventFilter(QObject *watched, QEvent *event)
{
    return QObject::eventFilter(watched, event);
}

RunSettings OptionRules::readSettings() const
{
    RunSettings s;
    s.composeMode = m_state.composeMode;
    s.maxText = m_controls.TMax->text();
    s.lengthText = m_controls.TLen->text();
    s.randomLengthRangeText = m_controls.TRndLen->text();
    s.videoDrawText = m_controls.TVedio->text();
    s.slideSecondsText = m_controls.TPlay->text();
    s.pictureRangeText = m_controls.TPics->text();
    s.lengthRule = m_controls.CmbLen->currentIndex();
    s.audioRule = m_controls.CmbAudio->currentIndex();
    s.sizeIndex = m_controls.CmbSize->currentIndex();
    s.sizeText = m_controls.CmbSize->currentText();
    s.outputType = m_controls.CmbOutType->currentText();
    s.effectIndex = m_controls.CmbEffect->currentIndex();
    s.randomLength = m_controls.ChRndLen->isChecked();
    s.audioRandomStart = m_controls.ChAuRnd->isChecked();
    s.addAudio = m_controls.ChAddAudio->isChecked();
    s.reuse = m_controls.ChSame->isChecked();
    s.noSpace = m_controls.ChNoSpace->isChecked();
    s.preciseCut = m_controls.ChCut->isChecked();
    s.preciseQuad = m_controls.ChAcc->isChecked();
    s.slideShow = m_controls.ChPPT->isChecked();
    s.slideFourSplit = m_controls.ChSingle->isChecked();
    s.keepPictureSize = m_controls.ChKeepSize->checkState() != Qt::Unchecked;
    s.fixedAudioText = m_controls.LNewAu->text();
    s.fixedAudioLengthText = m_controls.LAuLen->text();
    s.outputFolderText = m_controls.LOutDir->text();
    s.outputWidth = m_state.outputWidth;
    s.outputHeight = m_state.outputHeight;
    return s;
}
