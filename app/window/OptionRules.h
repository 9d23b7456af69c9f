#pragma once

#include "app/run/RunSettings.h"

#include <QObject>

class DialogService;
class SourceListOps;
struct MainControls;
struct WindowState;

// The rules that tie the option controls together: key filters, validation
// when a field loses the focus, derived lengths, the mode buttons and every
// check-box and combo-box rule. Setting a control from code runs its rule too.
class OptionRules : public QObject {
    Q_OBJECT
public:
    OptionRules(MainControls &controls, WindowState &state, DialogService &dialogs,
                SourceListOps &lists, QObject *parent = nullptr);

    // Brings the controls into their start state (batch on with 200 outputs,
    // the first entry of each combo box with its rule run).
    void applyStartState();

    // Reads the controls into the snapshot a run uses.
    RunSettings readSettings() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainControls &m_controls;
    WindowState &m_state;
    DialogService &m_dialogs;
    SourceListOps &m_lists;
};
