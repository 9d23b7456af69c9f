#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The run's own folder tree under the work root: rebuilt before a run and
// deleted after it. It carries a marker file, and only a folder with that
// marker is ever deleted: a folder of the same name that somebody else made
// is left alone and the workspace moves to a free name beside it.
//
// Each running instance owns its workspace through a lock file beside it
// ("Tmp.lock" for "Tmp"), held while the run lasts: a second run at the same
// time takes the next free name ("Tmp1", ...), and a marked workspace whose
// lock no running instance holds (left by a crash) is deleted by the next run,
// after the tools and unfinished outputs its record names are ended and
// removed (WorkspaceRecord).
class Workspace {
public:
    explicit Workspace(const QString &workRoot);
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    static QString markerName() { return QStringLiteral(".zarv-workspace"); }
    static QString lockSuffix() { return QStringLiteral(".lock"); }

    // Absolute path of the workspace folder (no trailing separator).
    QString folder() const { return m_folder; }
    // Claims a workspace of its own, deletes those left by instances that no
    // longer run, and creates the tree anew with the intermediate folder "Tmp"
    // inside. False when none could be made.
    bool rebuild();
    // Deletes the workspace, only when it carries our marker, and gives up
    // the claim on it.
    bool remove();
    bool isOurs() const;

private:
    QString folderNamed(int number) const;
    // Deletes the marked workspaces beside ours that no running instance owns.
    void removeLeftovers() const;

    QString m_workRoot;
    QString m_folder;
    std::unique_ptr<QLockFile> m_claim;
};
