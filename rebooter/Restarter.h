#pragma once

#include "rebooter/RestarterCommandLine.h"

#include <QList>
#include <QString>

class DialogService;

enum class FileManager { Open, Skip };
enum class RestarterExit { Finished = 0, Failed = 1 };

// The restarter's three modes. It has no window: it talks to the user only
// through message boxes titled "消息".
class Restarter {
public:
    // restarterFolder: the installation, where updates are unpacked and the
    // restarted program lives.
    // waitFactor scales the fixed waits and the watch of the restarted
    // program (tests make them short); 1 keeps them as they are.
    Restarter(DialogService &dialogs, FileManager fileManager, const QString &restarterFolder,
              double waitFactor = 1);

    // Reads the tab-separated command line and runs one mode.
    RestarterExit RunRestarter(const QString &commandLine);

    // Unpacks the archive over the installation and starts the program again.
    RestarterExit UnpackAndRestart(const UpdateRequest &request);
    // Keeps closing the window with that title until the per-user setting
    // "CloseExe" of the application is not empty.
    RestarterExit CloseWatch(const QString &application, const QString &title);
    // Ends the program and starts it again with "DoFails".
    RestarterExit Relaunch(const QString &programFile);

private:
    void pause(double seconds);
    RestarterExit fail(const QString &text, const QString &archive);
    bool waitForProgramEnd(const QString &programFile);
    bool unpack(const QString &tool, const QString &archive, const QString &destination);
    RestarterExit install(const UpdateRequest &request, const QString &tool);
    // Starts the program and waits a few seconds: false when it could not
    // start or ended meanwhile.
    bool startsAndStaysUp(const QString &programFile);
    void showInFileManager(const QString &archive);
    int killFirstProcessNamed(const QString &name);
    enum class NameMatch { Exact, StartsWith };
    // Live processes of that name run from the installation, other than this one.
    QList<qint64> installedProcesses(const QString &name, NameMatch match) const;

    DialogService &m_dialogs;
    FileManager m_fileManager;
    QString m_folder;
    double m_waitFactor;
};
