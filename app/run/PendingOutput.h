#pragma once

#include <QString>

// An output file that the tool writes under a name of its own beside the
// output's name ("0001.zarv-unfinished.mp4" for "0001.mp4"), put in place
// only once it is complete. A stopped or failed output thus never leaves a
// half-written file under the output's name, and a complete file of that
// name from an earlier run stays until the new one replaces it.
//
// The unfinished name is taken by creating the file exclusively, so two runs
// writing into one folder at the same moment never share a file; the tool
// then writes over that (empty) file. The workspace records the file while it
// is unfinished, so that the next run can remove it after a crash.
class PendingOutput {
public:
    // workspaceFolder: where the file is recorded; none when empty.
    explicit PendingOutput(const QString &finalPath, const QString &workspaceFolder = {});
    // A file neither completed nor discarded is discarded.
    ~PendingOutput();
    PendingOutput(const PendingOutput &) = delete;
    PendingOutput &operator=(const PendingOutput &) = delete;

    static QString unfinishedMark() { return QStringLiteral(".zarv-unfinished"); }

    const QString &finalPath() const { return m_finalPath; }
    // Where the tool writes. The extension stays the output's, as the tool
    // chooses the container by it; a file of that name that is not ours is
    // never touched (the name then takes a number). Empty when no name could
    // be taken (the folder cannot be written).
    const QString &writingPath() const { return m_writingPath; }
    bool isReserved() const { return !m_writingPath.isEmpty(); }
    // Reserved and neither completed nor discarded yet.
    bool isPending() const { return m_pending; }

    // Puts the written file, flushed to the disk, in the place of the
    // output's name, replacing an earlier file there. False (and nothing
    // replaced) when it could not or nothing was written.
    bool complete();
    // Removes what was written; the output's name keeps what it held.
    void discard();

private:
    void forget();

    QString m_finalPath;
    QString m_workspaceFolder;
    QString m_writingPath;
    bool m_pending = false;
};
