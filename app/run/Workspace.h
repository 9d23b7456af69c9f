#pragma once

#include <QString>

enum class SlideShowFolders { None, Shared, PerSource };

// The run's own folder tree under the work root: rebuilt before a run and
// deleted after it. It carries a marker file, and only a folder with that
// marker is ever deleted: a folder of the same name that somebody else made
// is left alone and the workspace moves to a free name beside it.
class Workspace {
public:
    explicit Workspace(const QString &workRoot);

    static QString markerName() { return QStringLiteral(".zarv-workspace"); }

    // Absolute path of the workspace folder (no trailing separator).
    QString folder() const { return m_folder; }
    // Deletes an earlier workspace of ours and creates the tree anew, with the
    // intermediate folder "Tmp" inside. False when it could not be created.
    bool rebuild();
    // Folders for extracted frames; perSourceCount folders 1..n for PerSource.
    void createSlideShowFolders(SlideShowFolders kind, int perSourceCount);
    // Deletes the workspace, only when it carries our marker.
    bool remove();
    bool isOurs() const;

private:
    QString m_workRoot;
    QString m_folder;
};
