#pragma once

#include <QString>

// An output file that the tool writes under a name of its own beside the
// output's name ("0001.zarv-unfinished.mp4" for "0001.mp4"), put in place
// only once it is complete. A stopped or failed output thus never leaves a
// half-written file under the output's name, and a complete file of that
// name from an earlier run stays until the new one replaces it.
class PendingOutput {
public:
    explicit PendingOutput(const QString &finalPath);

    static QString unfinishedMark() { return QStringLiteral(".zarv-unfinished"); }

    const QString &finalPath() const { return m_finalPath; }
    // Where the tool writes. The extension stays the output's, as the tool
    // chooses the container by it; a file of that name that is not ours is
    // never touched (the name then takes a number).
    const QString &writingPath() const { return m_writingPath; }

    // Puts the written file in the place of the output's name, replacing an
    // earlier file there. False (and nothing replaced) when it could not.
    bool complete();
    // Removes what was written; the output's name keeps what it held.
    void discard();

private:
    QString m_finalPath;
    QString m_writingPath;
};
