#pragma once

#include <QString>

// What a run has under way, written into its workspace as it goes: the tool
// processes it started and the unfinished output files it created. An
// instance that ends without cleaning up (killed, a power cut) leaves the
// record behind, and the next run that finds the workspace ownerless ends
// those tools that still run and removes those files before the workspace.
//
// One line of compact JSON per event, appended: a line cut short by a crash
// is skipped and the lines before it still count.
class WorkspaceRecord {
public:
    // Records nothing when workspaceFolder is empty.
    explicit WorkspaceRecord(const QString &workspaceFolder);

    static QString fileName() { return QStringLiteral(".zarv-record"); }

    void toolStarted(qint64 pid, const QString &toolName);
    // Right after the program created the file, so that only a file it made
    // is ever removed.
    void outputStarted(const QString &path);
    // The file was completed under its final name or removed.
    void outputEnded(const QString &path);

    struct Leftovers {
        int toolsEnded = 0;
        int filesRemoved = 0;
    };
    // Ends the recorded tools that still run (the same process: its id, start
    // time and program name as recorded) and removes the recorded unfinished
    // files that are still the very files created (a file put under that name
    // since is left alone). For the workspace of an instance that has ended.
    static Leftovers endLeftWork(const QString &workspaceFolder);

private:
    QString m_path;
};
