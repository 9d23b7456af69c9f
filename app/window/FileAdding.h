#pragma once

#include "app/library/FolderScanner.h"
#include "app/library/SourceTable.h"
#include "platform/DialogService.h"

#include <QObject>

#include <optional>

class MediaPatterns;
class MediaProber;
class QLabel;
class QPushButton;
class SourceListOps;
struct MainControls;
struct WindowState;

// Fills the source lists: the add-files dialog, the folder choice and the
// folder load, each file probed and appended as a row. Long adds pump window
// events after every file, so the stop button and the grids stay usable.
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

    // Shows the folder picker. Returns the chosen folder ending in a
    // separator, the data folder when the choice does not exist, or an empty
    // text when cancelled.
    QString BrowseForFolder(const QString &title, const QString &initialFolder,
                            NewFolderButton newFolderButton);

    // Adds the matching files under a folder to a list, depth-first.
    FolderScanner::Walk ScanFolder(const QString &folder, SourceKind kind, const MediaPatterns &patterns,
                                   Subfolders subfolders);
    // Adds the matching files of one folder (names as listed in it).
    FolderScanner::Walk AddFolderFiles(const QString &folder, const QStringList &fileNames, SourceKind kind,
                                       const MediaPatterns &patterns);

signals:
    // A new text for status panel 4 (the window shows it).
    void statusText(const QString &text);

private:
    enum class FileOutcome { Added, Refused, Unusable };
    enum class CmdObjectTarget { Video = 0, Audio = 1, Picture = 2, OutputFolder = 3 };

    // Probes one file and appends its row. Unusable: the file cannot be
    // probed (or its name cannot be stored); Refused: the precise-quad rule.
    FileOutcome addFile(SourceKind kind, const QString &folder, const QString &fileName);

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
};
