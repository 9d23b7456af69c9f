#pragma once

#include <QString>

// Folder paths as the folder labels hold them.
class FolderPathText {
public:
    // The path ending in one separator, with doubled separators collapsed;
    // a leading "//" (a network path) is kept. Empty stays empty.
    static QString asFolderCaption(const QString &path);
    // The root of the volume that holds a path: "C:/" for a drive path, "/"
    // otherwise.
    static QString rootOf(const QString &path);
};
