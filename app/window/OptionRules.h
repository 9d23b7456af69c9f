#pragma once

#include "app/run/RunSettings.h"
#include "app/window/WindowState.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <array>
#include <functional>

class DialogService;
class KeyFilter;
class QComboBox;
class SourceListOps;
struct MainControls;
struct WindowState;

// The rules that tie the option controls together: key filters, validation
// when a field loses the focus, derived lengths, the mode buttons and every
// check-box and combo-box rule.
//
// Setting a control's value from code runs that control's own rule, as a
// user's change does: every rule hangs on the control's change signal
// (toggled, stateChanged, currentIndexChanged, textChanged), so one rule may
// set other controls and their rules follow. A rule that is already running
// is not entered again; it reads the controls afresh after it set its own.
// A user's pick in a combo box runs the box's rule even when the picked entry
// is the one already shown.
class OptionRules : public QObject {
    Q_OBJECT
public:
    OptionRules(MainControls &controls, WindowState &state, DialogService &dialogs, SourceListOps &lists,
                QObject *parent = nullptr);

    // Brings the controls into their start state: batch on with 200 outputs,
    // then the first entry of each combo box with its rule run.
    void applyStartState();

    // A user's pick of an entry: the box's rule runs even when the entry is
    // the one already shown.
    void pickEntry(QComboBox *box, int index);

    // Reads the controls into the snapshot a run uses.
    RunSettings readSettings() const;

    static QString preciseQuadQuestion();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Rule {
        Mode,
        Batch,
        KeepSize,
        Reuse,
        Effect,
        RandomLength,
        LengthRule,
        AudioRule,
        FourSplit,
        SlideShow,
        PreciseQuad,
        Size,
        Target,
        SlideSecondsText,
        VideoDrawText,
        LengthText,
        Count
    };
    using RuleHandler = void (OptionRules::*)();
    static RuleHandler handlerOf(Rule rule);
    void runRule(Rule rule);
    void runRule(Rule rule, const std::function<void()> &handler);

    void setInitialValues();
    void connectRules();
    void watchFields();

    // Selects an entry; the box's rule runs when the entry changes, and with
    // SameEntry::RunRule also when the entry is already shown.
    enum class SameEntry { Skip, RunRule };
    void select(QComboBox *box, int index, SameEntry same = SameEntry::Skip);
    void noteIndexChange(QComboBox *box);

    void onModeChosen(ComposeMode mode);
    void onBatch();
    void onKeepSize();
    void onReuse();
    void onEffect();
    void onRandomLength();
    void onLengthRule();
    void onAudioRule();
    void onFourSplit();
    void onSlideShow();
    void onPreciseQuad();
    void onSizeChosen();
    void onTarget();
    void onSlideSecondsText();
    void onVideoDrawText();
    void onLengthText();

    void validateLength();
    void validateMax();
    void validateVideoDraw();
    void validateSlideSeconds();
    void validatePictureRange();
    void validateRandomLength();
    void validateSize();

    void removeLongVideos();
    bool addAudioActs() const;
    // Unticks and disables 补齐音频 where it does nothing; ticks and enables
    // it where it comes to act.
    void refreshAddAudio();
    void refreshAddButtons();
    QString focusedControlValue() const;
    bool isMode(ComposeMode mode) const;

    MainControls &m_controls;
    WindowState &m_state;
    DialogService &m_dialogs;
    SourceListOps &m_lists;
    KeyFilter *m_keys = nullptr;
    QHash<QObject *, RuleHandler> m_validators;  // field -> its focus-out check
    QHash<QObject *, Rule> m_comboRules;
    QSet<QComboBox *> m_changedBoxes;  // entry changed, pick not yet reported
    std::array<bool, size_t(Rule::Count)> m_running{};
};
