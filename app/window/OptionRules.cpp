#include "app/window/OptionRules.h"

#include "app/base/NumberText.h"
#include "app/library/SourceRowMaker.h"
#include "app/library/SourceTable.h"
#include "app/window/ClickableLabel.h"
#include "app/window/FieldRules.h"
#include "app/window/KeyFilter.h"
#include "app/window/MainControls.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "app/window/UpDown.h"
#include "app/window/WindowState.h"
#include "platform/DialogService.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Combo-box entries the rules select by number.
constexpr int kFixedLengthRule = 0;
constexpr int kFirstVideoLengthRule = 1;
constexpr int kAutomaticSize = 0;
constexpr int kSize1280x720 = 1;
constexpr int kSize1920x1080 = 3;
constexpr int kAudioOfFirstVideo = 0;
constexpr int kAudioOfLongestVideo = 1;
constexpr int kChosenAudioFile = 4;
constexpr int kTargetVideos = 0;
constexpr int kTargetAudio = 1;
constexpr int kTargetPictures = 2;
constexpr int kTargetOutput = 3;

QString videoReuseCaption()
{
    return QStringLiteral("视频复用");
}
QString pictureReuseCaption()
{
    return QStringLiteral("图片复用");
}
QString frameReuseCaption()
{
    return QStringLiteral("帧图复用");
}

double numberIn(const QLineEdit *edit)
{
    return LeadingNumber(edit->text());
}

}  // namespace

OptionRules::OptionRules(MainControls &controls, WindowState &state, DialogService &dialogs,
                         SourceListOps &lists, QObject *parent)
    : QObject(parent),
      m_controls(controls),
      m_state(state),
      m_dialogs(dialogs),
      m_lists(lists)
{
    setInitialValues();
    watchFields();
    connectRules();
}

QString OptionRules::preciseQuadQuestion()
{
    return QStringLiteral("确定启用精准四分屏模式？启用则会删除时长超过300秒的列表记录。");
}

// The values the controls hold before the window loads; no rule runs for them.
void OptionRules::setInitialValues()
{
    MainControls &c = m_controls;
    // Unticked, so that ticking it at start-up runs its rule.
    c.ChBat->setChecked(false);
    c.TMax->setEnabled(false);
    c.TLen->setText(QStringLiteral("30"));
    c.TRndLen->setText(QStringLiteral("3-600"));
    c.TRndLen->setEnabled(false);
    c.CmbSize->setEnabled(false);
    c.ChAuRnd->setEnabled(false);
    c.ChAddAudio->setEnabled(false);
    c.ChSame->setText(videoReuseCaption());
    c.ChNoSpace->setChecked(true);
    c.ChSingle->setEnabled(false);
    c.TVedio->setText(QStringLiteral("20"));
    c.TPlay->setText(QStringLiteral("3"));
    c.TPics->setText(QStringLiteral("1-1000"));
    c.TPics->setEnabled(false);
    c.Label11->setText(QStringLiteral("图片参数："));
    c.ChKeepSize->setTristate(true);
    c.ChKeepSize->setCheckState(Qt::PartiallyChecked);
    c.ChKeepSize->setEnabled(false);
    c.CmbEffect->setVisible(false);

    // A size is kept as typed: inline completion from the entries would turn
    // "72" into "720x480" behind the user's back.
    c.CmbSize->setCompleter(nullptr);
    // Clicking a spinner gives it the focus, so its text box is validated
    // first and the slide-count rule sees the spinner, not the last field.
    for (UpDown *spinner : {c.UpDown1, c.UpDown2, c.UpDown3})
        spinner->setFocusPolicy(Qt::ClickFocus);
}

void OptionRules::watchFields()
{
    MainControls &c = m_controls;
    m_keys = new KeyFilter(m_dialogs, this);
    for (QLineEdit *digitsOnly : {c.TLen, c.TMax, c.TVedio, c.TPlay})
        m_keys->watch(digitsOnly);
    m_keys->watch(c.TPics, QStringLiteral("-"));
    m_keys->watch(c.TRndLen, QStringLiteral("-"));
    // The size box keeps the focus itself and hands keys and focus events to
    // its line edit directly, so the box is the one watched.
    m_keys->watch(c.CmbSize, QStringLiteral("x"));

    m_validators.insert(c.TLen, &OptionRules::validateLength);
    m_validators.insert(c.TMax, &OptionRules::validateMax);
    m_validators.insert(c.TVedio, &OptionRules::validateVideoDraw);
    m_validators.insert(c.TPlay, &OptionRules::validateSlideSeconds);
    m_validators.insert(c.TPics, &OptionRules::validatePictureRange);
    m_validators.insert(c.TRndLen, &OptionRules::validateRandomLength);
    m_validators.insert(c.CmbSize, &OptionRules::validateSize);
    for (QObject *field : m_validators.keys())
        field->installEventFilter(this);
}

void OptionRules::connectRules()
{
    MainControls &c = m_controls;
    const std::pair<QRadioButton *, ComposeMode> modes[] = {{c.OptVV, ComposeMode::VideoVideo},
                                                            {c.OptPP, ComposeMode::PicturePicture},
                                                            {c.OptMix, ComposeMode::Mixed}};
    for (const auto &[button, mode] : modes) {
        connect(button, &QRadioButton::toggled, this, [this, mode = mode](bool on) {
            if (on)
                runRule(Rule::Mode, [this, mode] { onModeChosen(mode); });
        });
    }

    const std::pair<QCheckBox *, Rule> checks[] = {
        {c.ChBat, Rule::Batch},        {c.ChSame, Rule::Reuse},    {c.ChRndLen, Rule::RandomLength},
        {c.ChSingle, Rule::FourSplit}, {c.ChPPT, Rule::SlideShow}, {c.ChAcc, Rule::PreciseQuad}};
    for (const auto &[box, rule] : checks)
        connect(box, &QCheckBox::toggled, this, [this, rule = rule] { runRule(rule); });
    // Three states: grey counts as ticked, so every change is checked.
    connect(c.ChKeepSize, &QCheckBox::stateChanged, this, [this] { runRule(Rule::KeepSize); });

    const std::pair<QComboBox *, Rule> combos[] = {{c.CmbLen, Rule::LengthRule},
                                                   {c.CmbAudio, Rule::AudioRule},
                                                   {c.CmbObject, Rule::Target},
                                                   {c.CmbSize, Rule::Size},
                                                   {c.CmbEffect, Rule::Effect}};
    for (const auto &[box, rule] : combos) {
        m_comboRules.insert(box, rule);
        connect(box, &QComboBox::currentIndexChanged, this, [this, box = box, rule = rule](int index) {
            if (index < 0)
                return;
            noteIndexChange(box);
            runRule(rule);
        });
        // A user's pick runs the rule even when it is the entry already
        // shown; a pick that changed the entry ran it above already.
        connect(box, &QComboBox::activated, this, [this, box = box, rule = rule](int index) {
            const bool ranForThisPick = m_changedBoxes.remove(box);
            if (index >= 0 && !ranForThisPick)
                runRule(rule);
        });
    }

    const std::pair<QLineEdit *, Rule> texts[] = {
        {c.TPlay, Rule::SlideSecondsText}, {c.TVedio, Rule::VideoDrawText}, {c.TLen, Rule::LengthText}};
    for (const auto &[field, rule] : texts)
        connect(field, &QLineEdit::textChanged, this, [this, rule = rule] { runRule(rule); });
}

// Runs a rule unless it is running already: a rule's own changes to the
// controls would start it again.
void OptionRules::runRule(Rule rule, const std::function<void()> &handler)
{
    bool &running = m_running[size_t(rule)];
    if (running)
        return;
    running = true;
    handler();
    running = false;
}

void OptionRules::runRule(Rule rule)
{
    if (const RuleHandler handler = handlerOf(rule))
        runRule(rule, [this, handler] { (this->*handler)(); });
}

OptionRules::RuleHandler OptionRules::handlerOf(Rule rule)
{
    switch (rule) {
    case Rule::Batch:
        return &OptionRules::onBatch;
    case Rule::KeepSize:
        return &OptionRules::onKeepSize;
    case Rule::Reuse:
        return &OptionRules::onReuse;
    case Rule::Effect:
        return &OptionRules::onEffect;
    case Rule::RandomLength:
        return &OptionRules::onRandomLength;
    case Rule::LengthRule:
        return &OptionRules::onLengthRule;
    case Rule::AudioRule:
        return &OptionRules::onAudioRule;
    case Rule::FourSplit:
        return &OptionRules::onFourSplit;
    case Rule::SlideShow:
        return &OptionRules::onSlideShow;
    case Rule::PreciseQuad:
        return &OptionRules::onPreciseQuad;
    case Rule::Size:
        return &OptionRules::onSizeChosen;
    case Rule::Target:
        return &OptionRules::onTarget;
    case Rule::SlideSecondsText:
        return &OptionRules::onSlideSecondsText;
    case Rule::VideoDrawText:
        return &OptionRules::onVideoDrawText;
    case Rule::LengthText:
        return &OptionRules::onLengthText;
    case Rule::Mode:  // takes the chosen mode, so it comes with its handler
    case Rule::Count:
        break;
    }
    return nullptr;
}

// Marks a box whose entry changed. A pick changes the entry and reports the
// pick at once, in one go; a change made by code is followed by no pick, so
// its mark is dropped when control returns to the event loop.
void OptionRules::noteIndexChange(QComboBox *box)
{
    if (m_changedBoxes.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { m_changedBoxes.clear(); }, Qt::QueuedConnection);
    m_changedBoxes.insert(box);
}

void OptionRules::pickEntry(QComboBox *box, int index)
{
    select(box, index, SameEntry::RunRule);
}

void OptionRules::applyStartState()
{
    MainControls &c = m_controls;
    c.ChBat->setEnabled(true);
    c.ChBat->setChecked(true);
    c.TMax->setText(QStringLiteral("200"));

    // Each selection is a fresh one and runs its rule even though the box
    // already shows its first entry. The audio rule points the target box at
    // the audio list, so the target box is selected after it.
    select(c.CmbLen, 0, SameEntry::RunRule);
    select(c.CmbOutType, 0, SameEntry::RunRule);
    select(c.CmbAudio, 0, SameEntry::RunRule);
    select(c.CmbObject, 0, SameEntry::RunRule);
    select(c.CmbSize, 0, SameEntry::RunRule);
    m_state.selectedVideoRow = -1;
    m_state.selectedAudioRow = -1;
    m_state.selectedPictureRow = -1;
    select(c.CmbEffect, 0, SameEntry::RunRule);
}

void OptionRules::select(QComboBox *box, int index, SameEntry same)
{
    if (box->currentIndex() != index) {
        box->setCurrentIndex(index);  // the box's rule runs from its change signal
        return;
    }
    const auto rule = m_comboRules.constFind(box);
    if (same == SameEntry::RunRule && rule != m_comboRules.constEnd())
        runRule(rule.value());
}

// ---- mode buttons -----------------------------------------------------------

void OptionRules::onModeChosen(ComposeMode mode)
{
    MainControls &c = m_controls;
    const bool videoVideo = mode == ComposeMode::VideoVideo;
    const bool picturePicture = mode == ComposeMode::PicturePicture;
    const bool mixed = mode == ComposeMode::Mixed;

    // In this order: unticking a box runs its rule against the new mode.
    m_state.composeMode = mode;
    // The slide show and the precise four-split rules enable their companions
    // when unticked, so they run before the mode's own states are set: at the
    // end of the click the mode's states hold, whatever was ticked before.
    c.ChPPT->setChecked(false);
    c.ChAcc->setChecked(false);
    c.ChSame->setChecked(false);
    c.ChSame->setText(videoVideo ? videoReuseCaption() : pictureReuseCaption());
    c.ChSame->setEnabled(!mixed);
    c.MSFV->setEnabled(!picturePicture);
    c.MSFP->setEnabled(!videoVideo);
    c.TPics->setText(QStringLiteral("1-1000"));
    c.TPics->setEnabled(!videoVideo);

    if (videoVideo) {
        // Pictures are always scaled keeping proportions: the box's own rule
        // ticks it again, with the beep.
        c.ChKeepSize->setEnabled(false);
        c.ChKeepSize->setCheckState(Qt::Unchecked);
    } else {
        c.ChKeepSize->setEnabled(true);
        c.ChKeepSize->setCheckState(Qt::Checked);
    }

    if (videoVideo) {
        select(c.CmbSize, kAutomaticSize);
        c.CmbSize->setEnabled(false);
    } else if (picturePicture) {
        c.CmbSize->setEnabled(true);
    } else {
        select(c.CmbSize, kSize1920x1080);
        c.CmbSize->setEnabled(true);
    }

    if (!picturePicture)
        select(c.CmbLen, kFixedLengthRule);
    c.CmbLen->setEnabled(videoVideo);

    if (!picturePicture)
        select(c.CmbEffect, 0);
    c.CmbEffect->setEnabled(!videoVideo);

    c.ChCut->setChecked(false);
    c.ChCut->setEnabled(!picturePicture);
    c.ChAcc->setEnabled(videoVideo);
    c.ChPPT->setEnabled(videoVideo);

    // The range follows the pictures listed, as after loading them.
    if (!videoVideo && c.MSFP->entryCount() > 0)
        m_lists.RefreshPictureRange();
    // The sound rule runs as after a pick of the shown entry. Pictures have
    // no sound: a video's sound becomes the chosen file, without the beep of
    // a refused pick, as the user picked nothing.
    if (picturePicture) {
        const int rule = c.CmbAudio->currentIndex();
        const bool videoSound = rule == kAudioOfFirstVideo || rule == kAudioOfLongestVideo;
        select(c.CmbAudio, videoSound ? kChosenAudioFile : rule, SameEntry::RunRule);
    }
    refreshAddAudio();
    refreshAddButtons();
}

bool OptionRules::isMode(ComposeMode mode) const
{
    return m_state.composeMode == mode;
}

// ---- check boxes --------------------------------------------------------------

void OptionRules::onBatch()
{
    m_controls.TMax->setEnabled(m_controls.ChBat->isChecked());
}

void OptionRules::onKeepSize()
{
    if (m_controls.ChKeepSize->checkState() != Qt::Unchecked)
        return;
    m_controls.ChKeepSize->setCheckState(Qt::Checked);
    m_dialogs.beep();
}

void OptionRules::onReuse()
{
    MainControls &c = m_controls;
    const bool reuse = c.ChSame->isChecked();

    if (c.ChPPT->isChecked()) {
        double length = numberIn(c.TPlay) * numberIn(c.TVedio);
        if (!reuse)
            length /= 4;
        c.TLen->setText(NumberText(length));
        return;
    }

    c.ChNoSpace->setChecked(true);
    select(c.CmbSize, kAutomaticSize);
    c.ChAddAudio->setChecked(false);
    c.ChAddAudio->setEnabled(false);

    // Audio of its own or a padded one: only the chosen-audio rules pad.
    const auto padChosenAudio = [&c] {
        if (c.CmbAudio->currentIndex() > kAudioOfLongestVideo) {
            c.ChAddAudio->setChecked(true);
            c.ChAddAudio->setEnabled(true);
        }
    };

    if (isMode(ComposeMode::VideoVideo) && reuse) {
        c.UpDown1->setEnabled(false);
        c.ChRndLen->setChecked(false);
        c.ChRndLen->setEnabled(false);
        c.CmbSize->setEnabled(false);
        c.ChNoSpace->setEnabled(false);
        select(c.CmbLen, kFirstVideoLengthRule);
        c.CmbLen->setEnabled(false);
        select(c.CmbAudio, kAudioOfFirstVideo);
        padChosenAudio();
        c.TPics->setEnabled(false);
    } else if (isMode(ComposeMode::PicturePicture) && reuse) {
        c.CmbLen->setEnabled(false);
        select(c.CmbLen, kFixedLengthRule);
        padChosenAudio();
    } else {
        c.ChNoSpace->setEnabled(true);
        c.CmbSize->setEnabled(true);
        c.UpDown1->setEnabled(true);
        c.ChRndLen->setEnabled(true);
        c.TPics->setEnabled(!isMode(ComposeMode::VideoVideo));
        c.CmbLen->setEnabled(!isMode(ComposeMode::PicturePicture));
        select(c.CmbLen, kFixedLengthRule);
    }

    c.ChCut->setChecked(false);
    c.ChCut->setEnabled(!reuse && !isMode(ComposeMode::PicturePicture));
    refreshAddAudio();
}

void OptionRules::onRandomLength()
{
    MainControls &c = m_controls;
    c.TRndLen->setText(QStringLiteral("10-600"));
    if (c.ChRndLen->isChecked()) {
        c.TRndLen->setEnabled(true);
        c.TRndLen->setFocus();
        c.TLen->setEnabled(false);
        c.UpDown1->setEnabled(false);
        c.TLen->setText(QStringLiteral("10"));
    } else {
        c.TLen->setEnabled(true);
        c.UpDown1->setEnabled(true);
        c.TLen->setText(QStringLiteral("30"));
        c.TRndLen->setEnabled(false);
    }
}

void OptionRules::onFourSplit()
{
    MainControls &c = m_controls;
    if (c.ChSingle->isChecked()) {
        c.ChSame->setText(frameReuseCaption());
        c.ChSame->setChecked(false);
        c.ChSame->setEnabled(true);
    } else if (isMode(ComposeMode::VideoVideo)) {
        c.ChSame->setText(videoReuseCaption());
        c.ChSame->setEnabled(!c.ChPPT->isChecked());
    } else if (isMode(ComposeMode::PicturePicture)) {
        c.ChSame->setText(pictureReuseCaption());
    }
}

void OptionRules::onSlideShow()
{
    MainControls &c = m_controls;
    const bool slideShow = c.ChPPT->isChecked();

    c.ChSingle->setChecked(false);
    c.TPlay->setText(QStringLiteral("3"));
    c.TPlay->setEnabled(slideShow);
    c.UpDown2->setEnabled(slideShow);
    c.ChSingle->setEnabled(slideShow);

    if (slideShow) {
        select(c.CmbAudio, kChosenAudioFile);
        // All unticked before any is disabled: unticking the precise
        // four-split box enables its companions again.
        for (QCheckBox *box : {c.ChNoSpace, c.ChSame, c.ChAcc, c.ChCut})
            box->setChecked(false);
        for (QCheckBox *box : {c.ChNoSpace, c.ChSame, c.ChAcc, c.ChCut})
            box->setEnabled(false);
        c.CmbSize->setEnabled(true);
        select(c.CmbSize, kSize1280x720);
        // The length rule and the random length reset the length when they
        // change, so they come before the slide show's own length.
        select(c.CmbLen, kFixedLengthRule);
        c.CmbLen->setEnabled(false);
        c.ChRndLen->setChecked(false);
        c.ChRndLen->setEnabled(false);
        c.TVedio->setText(QStringLiteral("20"));
        c.TVedio->setEnabled(true);
        c.UpDown3->setEnabled(true);
        c.TLen->setEnabled(true);
        c.UpDown1->setEnabled(true);
        c.TLen->setText(QStringLiteral("9"));
        c.TPics->setEnabled(true);
        c.Label11->setText(QStringLiteral("抽取帧数："));
        c.TPics->setText(QStringLiteral("1-1"));
        c.TVedio->setFocus();
        refreshAddAudio();
        return;
    }

    for (QWidget *w : std::initializer_list<QWidget *>{c.ChRndLen, c.ChNoSpace, c.ChSame, c.ChAcc})
        w->setEnabled(true);
    c.TVedio->setEnabled(false);
    c.UpDown3->setEnabled(false);
    c.Label11->setText(QStringLiteral("图片参数："));
    c.TPics->setText(QStringLiteral("1-1000"));
    c.CmbLen->setEnabled(!isMode(ComposeMode::PicturePicture));
    const bool fixedLength = c.CmbLen->currentIndex() == kFixedLengthRule;
    c.TLen->setEnabled(fixedLength);
    c.UpDown1->setEnabled(fixedLength);
    if (isMode(ComposeMode::VideoVideo))
        select(c.CmbSize, kAutomaticSize);
    refreshAddAudio();
}

// 补齐音频 pads a chosen audio that is shorter than the output: with the
// reused video's own sound, or by repeating it under pictures. Elsewhere it
// would do nothing.
bool OptionRules::addAudioActs() const
{
    const MainControls &c = m_controls;
    if (c.CmbAudio->currentIndex() <= kAudioOfLongestVideo)
        return false;
    if (isMode(ComposeMode::PicturePicture))
        return true;
    return isMode(ComposeMode::VideoVideo) && c.ChSame->isChecked() && !c.ChPPT->isChecked()
           && !c.ChAcc->isChecked();
}

void OptionRules::refreshAddAudio()
{
    QCheckBox *pad = m_controls.ChAddAudio;
    if (!addAudioActs()) {
        pad->setChecked(false);
        pad->setEnabled(false);
    } else if (!pad->isEnabled()) {
        pad->setChecked(true);
        pad->setEnabled(true);
    }
}

void OptionRules::onPreciseQuad()
{
    MainControls &c = m_controls;
    if (c.ChAcc->isChecked()) {
        const DialogAnswer answer = m_dialogs.showMessage(
            {preciseQuadQuestion(), MessageIcon::Information, MessageButtons::YesNo, DialogAnswer::Yes});
        if (answer == DialogAnswer::Yes)
            removeLongVideos();
        else
            c.ChAcc->setChecked(false);
    }

    if (c.ChAcc->isChecked()) {
        for (QCheckBox *box : {c.ChSame, c.ChNoSpace, c.ChCut}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    } else {
        c.ChSame->setEnabled(true);
        c.ChNoSpace->setEnabled(true);
        c.ChCut->setEnabled(!isMode(ComposeMode::PicturePicture));
    }
    refreshAddAudio();
}

void OptionRules::removeLongVideos()
{
    SourceGrid *videos = m_controls.MSFV;
    for (int entry = videos->entryCount(); entry >= 1; --entry) {
        const QStringList cells = videos->entryCells(entry);
        if (LeadingNumber(cells.value(SourceTable::Duration)) > kPreciseQuadLimitSeconds) {
            videos->removeEntry(entry);
            m_lists.refreshCountLabel(SourceKind::Video);
        }
        // A long list takes a while; the window keeps painting meanwhile.
        QCoreApplication::processEvents();
    }
}

// ---- combo boxes ----------------------------------------------------------------

void OptionRules::onEffect()
{
    // Only "图片无特效" is available; the other effects are listed but refused.
    if (m_controls.CmbEffect->currentIndex() == 0)
        return;
    m_controls.CmbEffect->setCurrentIndex(0);
    m_dialogs.beep();
}

void OptionRules::onLengthRule()
{
    MainControls &c = m_controls;
    c.TLen->setText(QStringLiteral("30"));
    c.TRndLen->setText(QStringLiteral("3-600"));
    c.ChRndLen->setChecked(false);
    const bool fixedLength = c.CmbLen->currentIndex() == kFixedLengthRule;
    c.TLen->setEnabled(fixedLength);
    c.UpDown1->setEnabled(fixedLength);
    c.ChRndLen->setEnabled(fixedLength);
}

void OptionRules::onAudioRule()
{
    MainControls &c = m_controls;
    int rule = c.CmbAudio->currentIndex();
    // Pictures have no sound of their own.
    if (isMode(ComposeMode::PicturePicture) && (rule == kAudioOfFirstVideo || rule == kAudioOfLongestVideo)) {
        c.CmbAudio->setCurrentIndex(kChosenAudioFile);
        m_dialogs.beep();
        rule = c.CmbAudio->currentIndex();
    }

    select(c.CmbObject, kTargetAudio);
    SourceGrid *audio = c.MSFA;
    if (audio->entryCount() > 0) {
        const QStringList cells = audio->entryCells(audio->currentEntry());
        m_lists.setFixedAudio(
            SourceTable::joinPath(cells.value(SourceTable::Folder), cells.value(SourceTable::Name)),
            cells.value(SourceTable::AudioDuration) + QStringLiteral("秒"));
    }

    const bool chosenAudio = rule > kAudioOfLongestVideo;
    c.ChAuRnd->setChecked(false);
    c.ChAuRnd->setEnabled(chosenAudio);
    c.LNewAu->setEnabled(rule == kChosenAudioFile);
    const bool pad = addAudioActs();
    c.ChAddAudio->setChecked(pad);
    c.ChAddAudio->setEnabled(pad);
}

void OptionRules::onSizeChosen()
{
    MainControls &c = m_controls;
    if (c.CmbSize->currentIndex() == kAutomaticSize) {
        // A slide show and the picture modes need a fixed size.
        if (c.ChPPT->isChecked()) {
            c.CmbSize->setCurrentIndex(kSize1280x720);
            m_dialogs.beep();
        } else if (!isMode(ComposeMode::VideoVideo)) {
            c.CmbSize->setCurrentIndex(kSize1920x1080);
            m_dialogs.beep();
        }
    }
    validateSize();
}

void OptionRules::onTarget()
{
    MainControls &c = m_controls;
    switch (c.CmbObject->currentIndex()) {
    case kTargetVideos:
        c.CmdPath->setText(QStringLiteral("指定视频输入目录(&P)..."));
        c.CmdAddFiles->setText(QStringLiteral("添加视频文件(&A)..."));
        c.CmdReadFiles->setText(QStringLiteral("自动加载视频文件(&L)"));
        break;
    case kTargetAudio:
        c.CmdPath->setText(QStringLiteral("指定音频输入目录(&P)..."));
        c.CmdAddFiles->setText(QStringLiteral("添加音频文件(&A)..."));
        c.CmdReadFiles->setText(QStringLiteral("自动加载音频文件(&L)"));
        break;
    case kTargetPictures:
        c.CmdPath->setText(QStringLiteral("指定图片输入目录(&P)..."));
        c.CmdAddFiles->setText(QStringLiteral("添图片文件(&A)..."));
        c.CmdReadFiles->setText(QStringLiteral("自动加载图片文件(&L)"));
        break;
    case kTargetOutput:
        c.CmdPath->setText(QStringLiteral("指定输出目录(&P)..."));
        break;
    default:
        break;
    }
    refreshAddButtons();
}

void OptionRules::refreshAddButtons()
{
    const int target = m_controls.CmbObject->currentIndex();
    const bool enabled =
        target != kTargetOutput && !(isMode(ComposeMode::PicturePicture) && target == kTargetVideos);
    m_controls.CmdAddFiles->setEnabled(enabled);
    m_controls.CmdReadFiles->setEnabled(enabled);
}

// ---- derived lengths --------------------------------------------------------------

void OptionRules::onSlideSecondsText()
{
    MainControls &c = m_controls;
    double length = numberIn(c.TPlay) * numberIn(c.TVedio);
    if (!c.ChSame->isChecked())
        length /= 4;
    c.TLen->setText(NumberText(length));
}

void OptionRules::onVideoDrawText()
{
    MainControls &c = m_controls;
    const double videos = numberIn(c.TVedio);
    c.TLen->setText(NumberText(videos * numberIn(c.TPlay)));
    // While the user types into the field or turns its spinner the value is
    // left alone; set from elsewhere it is brought to a multiple of 4 at once.
    if (c.ChSame->isChecked() || focusedControlValue() == c.TVedio->text())
        return;
    const double rounded = FieldRules::roundDownToFour(videos);
    c.TVedio->setText(NumberText(rounded));
    c.TLen->setText(NumberText(rounded * numberIn(c.TPlay) / 4));
}

void OptionRules::onLengthText()
{
    if (m_controls.MSFP->entryCount() > 0)
        m_lists.RefreshPictureRange();
}

// The value of the control that has the focus, as the control's main value
// reads: a text box's text, a spinner's number, a check box's 0/1/2 (grey),
// a list's shown text, a grid's current cell.
QString OptionRules::focusedControlValue() const
{
    // The window's own focus control: a message box in front or a window that
    // is not shown (the batch mode) does not take it away.
    QWidget *focused = m_controls.TVedio->window()->focusWidget();
    if (!focused)
        return QString();
    if (auto *spinner = qobject_cast<UpDown *>(focused))
        return QString::number(spinner->value());
    if (auto *combo = qobject_cast<QComboBox *>(focused->parentWidget());
        combo && combo->lineEdit() == focused)
        return combo->currentText();
    if (auto *edit = qobject_cast<QLineEdit *>(focused))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(focused))
        return combo->currentText();
    if (auto *check = qobject_cast<QCheckBox *>(focused)) {
        switch (check->checkState()) {
        case Qt::Unchecked:
            return QStringLiteral("0");
        case Qt::Checked:
            return QStringLiteral("1");
        case Qt::PartiallyChecked:
            return QStringLiteral("2");
        }
    }
    if (auto *button = qobject_cast<QAbstractButton *>(focused))
        return button->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    if (auto *grid = qobject_cast<SourceGrid *>(focused)) {
        const QTableWidgetItem *item = grid->currentItem();
        return item ? item->text() : QString();
    }
    return QString();
}

// ---- validation when a field loses the focus ------------------------------------

bool OptionRules::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto validator = m_validators.constFind(watched);
        const auto *field = qobject_cast<QWidget *>(watched);
        // A field that a rule disables hands the focus on, but the user did
        // not leave it; its text is the rule's, not typed.
        if (validator != m_validators.constEnd() && field && field->isEnabled()) {
            // Another window, a popup (the size list, a context menu) or the
            // menu bar taking the focus is no leaving of the field.
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::ActiveWindowFocusReason:
            case Qt::PopupFocusReason:
            case Qt::MenuBarFocusReason:
                break;
            default:
                (this->*validator.value())();
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void OptionRules::validateLength()
{
    m_controls.TLen->setText(FieldRules::clampedNumberText(m_controls.TLen->text(), 3, 600));
}

void OptionRules::validateMax()
{
    m_controls.TMax->setText(FieldRules::clampedNumberText(m_controls.TMax->text(), 1, 2000));
}

void OptionRules::validateSlideSeconds()
{
    m_controls.TPlay->setText(FieldRules::clampedNumberText(m_controls.TPlay->text(), 1, 10));
}

void OptionRules::validateVideoDraw()
{
    MainControls &c = m_controls;
    const double slideSeconds = numberIn(c.TPlay);
    c.TLen->setText(NumberText(numberIn(c.TVedio) * slideSeconds));
    const Reuse reuse = c.ChSame->isChecked() ? Reuse::On : Reuse::Off;
    const double videos = FieldRules::slideVideoCount(numberIn(c.TVedio), reuse);
    if (reuse == Reuse::Off)
        c.TLen->setText(NumberText(slideSeconds * videos / 4));
    c.TVedio->setText(NumberText(videos));
}

void OptionRules::validatePictureRange()
{
    MainControls &c = m_controls;
    const SlideShow slideShow = c.ChPPT->isChecked() ? SlideShow::On : SlideShow::Off;
    c.TPics->setText(FieldRules::pictureRangeText(c.TPics->text(), slideShow, numberIn(c.TPlay)));
}

void OptionRules::validateRandomLength()
{
    MainControls &c = m_controls;
    const FieldRules::RandomLengthRange range = FieldRules::randomLengthRange(c.TRndLen->text());
    c.TRndLen->setText(range.text);
    c.TLen->setText(NumberText(range.lower));
}

void OptionRules::validateSize()
{
    QComboBox *box = m_controls.CmbSize;
    const bool automatic =
        box->currentIndex() == kAutomaticSize && box->currentText() == box->itemText(kAutomaticSize);
    const FieldRules::QuadrantSize size =
        FieldRules::quadrantSize(box->currentText(), automatic ? SizeChoice::Automatic : SizeChoice::Typed);
    if (size.verdict == FieldRules::SizeVerdict::NoSeparator)
        m_dialogs.beep();
    m_state.outputWidth = size.width;
    m_state.outputHeight = size.height;
    if (size.verdict != FieldRules::SizeVerdict::Automatic && box->currentText() != size.text)
        box->setEditText(size.text);
}

// ---- the snapshot a run reads -------------------------------------------------------

RunSettings OptionRules::readSettings() const
{
    const MainControls &c = m_controls;
    RunSettings s;
    s.composeMode = m_state.composeMode;
    s.maxText = c.TMax->text();
    s.lengthText = c.TLen->text();
    s.randomLengthRangeText = c.TRndLen->text();
    s.videoDrawText = c.TVedio->text();
    s.slideSecondsText = c.TPlay->text();
    s.pictureRangeText = c.TPics->text();
    s.lengthRule = LengthRule(c.CmbLen->currentIndex());
    s.audioRule = AudioRule(c.CmbAudio->currentIndex());
    s.sizeIndex = c.CmbSize->currentIndex();
    s.sizeText = c.CmbSize->currentText();
    s.outputType = c.CmbOutType->currentText();
    s.effectIndex = c.CmbEffect->currentIndex();
    s.randomLength = c.ChRndLen->isChecked();
    s.audioRandomStart = c.ChAuRnd->isChecked();
    s.addAudio = c.ChAddAudio->isChecked();
    s.reuse = c.ChSame->isChecked();
    s.noSpace = c.ChNoSpace->isChecked();
    s.preciseCut = c.ChCut->isChecked();
    s.preciseQuad = c.ChAcc->isChecked();
    s.slideShow = c.ChPPT->isChecked();
    s.slideFourSplit = c.ChSingle->isChecked();
    // Grey counts as ticked.
    s.keepPictureSize = c.ChKeepSize->checkState() != Qt::Unchecked;
    s.fixedAudioText = c.LNewAu->text();
    s.fixedAudioLengthText = c.LAuLen->text();
    s.outputFolderText = c.LOutDir->text();
    s.outputWidth = m_state.outputWidth;
    s.outputHeight = m_state.outputHeight;
    s.readNumbers();
    return s;
}
