#pragma once

#include <QObject>

class DialogService;
class MediaProber;
class SourceListOps;
struct MainControls;
struct WindowState;

// Fills the source lists: the add-files dialog, the folder choice and the
// folder load, each file probed and appended as a row.
class FileAdding : public QObject {
    Q_OBJECT
public:
    FileAdding(MainControls &controls, WindowState &state, DialogService &dialogs,
               MediaProber &prober, SourceListOps &lists, QObject *parent = nullptr);

    void AddFiles();
    void ChooseFolder();
    void LoadFolder();

private:
    MainControls &m_controls;
    WindowState &m_state;
    DialogService &m_dialogs;
    MediaProber &m_prober;
    SourceListOps &m_lists;
};
