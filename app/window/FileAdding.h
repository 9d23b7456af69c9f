#pragma once

#include "app/library/FolderScanner.h"
#include "app/library/SourceRowMaker.h"
#include "app/library/SourceTable.h"
#include "platform/DialogService.h"

#include <QElapsedTimer>
#include <QObject>

#include <optional>

class MediaPatterns;
class MediaProber;
class ProbeQueue;
class QLabel;
class RepaintThrottle;
class QPushButton;
class SourceListOps;
struct MainControls;
struct WindowState;

// Fills the source lists: the add-files dialog, the folder choice and the
// folder load, each file probed and appended as a row. Files are probed ahead
// on worker threads where the prober allows it; the rows are appended here,
// in the files' order. Long adds pump window events after every row, so the
// stop button and the grids stay usable, while the grid being filled repaints
// in bursts rather than once per row.
class FileAdding : public QObject {
    Q_OBJECT
public:
    FileAdding(MainControls &controls, WindowState &state, DialogService &dialogs,
               MediaProber &prober, SourceListOps &lists, QObject *parent = nullptr);

    void AddFiles();
    void ChooseFolder();
    void LoadFolder();
    // True while files are being added or a folder loaded.
    bool isBusy() const { return m_running; }
    // The window is closing: a running add or load ends after its current
    // row, without its completion message.
    void abandon();

    // Shows the folder picker. Returns the chosen folder ending in a
    // separator, the data folder when the choice does not exist, or an empty
    // text when cancelled.
    QString BrowseForFolder(const QString &title, const QString &initialFolder,
                            NewFolderButton newFolderButton);

signals:
    // A new text for status panel 4 (the window shows it).
    void statusText(const QString &text);

private:
    enum class CmdObjectTarget { Video = 0, Audio = 1, Picture = 2, OutputFolder = 3 };

    // The list being filled, the files probed ahead for it and its painting.
    struct Filling {
        SourceKind kind;
        ProbeQueue &queue;
        RepaintThrottle &throttle;
        QElapsedTimer sincePump;
    };

    // Adds the matching files under a folder to a list, depth-first.
    FolderScanner::Walk ScanFolder(const QString &folder, Filling &filling, const MediaPatterns &patterns,
                                   Subfolders subfolders);
    // Adds the matching files of one folder (names as listed in it).
    FolderScanner::Walk AddFolderFiles(const QString &folder, const QStringList &fileNames, Filling &filling,
                                       const MediaPatterns &patterns);
    // Takes the next probed file and appends its row (none for an unusable
    // or refused file). False when a stop came first.
    bool appendNextRow(Filling &filling);
    // The same for a folder load, with its status (the list's count).
    bool loadNextRow(Filling &filling);
    // Pending window events after a row: after every row when probing on
    // this thread, every few milliseconds when the rows were probed ahead.
    void pumpAfterRow(Filling &filling);
    SourceRowMaker makerFor(SourceKind kind) const;

    CmdObjectTarget target() const;
    // The list an add or load of this target fills; none (after a beep for
    // the output folder) when there is none or another add is running.
    std::optional<SourceKind> listToFill(CmdObjectTarget chosenTarget);
    static std::optional<SourceKind> listOf(CmdObjectTarget target);
    QLabel *folderLabel(CmdObjectTarget target) const;
    QString patternTextOf(SourceKind kind) const;

    void enterBusyState(QPushButton *ownButton);
    // The end of every add and load, also after a stop: rewound lists, idle
    // status, and the window out of its busy state.
    void finishAdding(QPushButton *ownButton);
    void showCompletion(const QString &text);
    void setStatus(const QString &text);
    static void pumpEvents();

    MainControls &m_controls;
    WindowState &m_state;
    DialogService &m_dialogs;
    MediaProber &m_prober;
    SourceListOps &m_lists;

    int m_unusableFiles = 0;  // of the running add or load
    bool m_running = false;   // a single-file add leaves the buttons enabled
    bool m_abandoned = false; // the window closed during the add or load
};
