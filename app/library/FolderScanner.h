#pragma once

#include <QString>
#include <QStringList>

#include <functional>

enum class Subfolders { Excluded, Included };

// Walks a source folder depth-first: each folder's own files (sorted by name)
// are handed over before its subfolders (sorted too) are walked. Symbolic
// links to folders are not followed, so a link back up the tree cannot make
// the walk endless; links to files count as files. Hidden entries are left
// out, as the file manager does. A folder that cannot be read is passed over.
class FolderScanner {
public:
    enum class Walk { Continue, Stop };
    // Receives a folder (no trailing separator, except for the root "/") and
    // the names of its files; Stop ends the whole walk.
    using FolderVisitor = std::function<Walk(const QString &folder, const QStringList &fileNames)>;

    FolderScanner(Subfolders subfolders, FolderVisitor visit);

    // Stop when the visitor ended the walk.
    Walk scan(const QString &folder) const;

    // True when the folder (with its subfolders when they are included)
    // holds at least one file the walk would hand over.
    static bool holdsAnyFile(const QString &folder, Subfolders subfolders);

    static QStringList fileNames(const QString &folder);
    static QStringList subfolderNames(const QString &folder);
    // The folder's absolute path without a trailing separator ("/" stays).
    static QString cleanFolderPath(const QString &folder);

private:
    Subfolders m_subfolders;
    FolderVisitor m_visit;
};
