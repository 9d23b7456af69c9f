#pragma once

#include <QString>

// Folder paths as the folder labels hold them.
class FolderPathText {
public:
    // The path ending in one separator, with doubled separators collapsed;
    // a leading "//" (a network path) is kept. Empty stays empty.
    static QString asFolderCaption(const QString &path);
    // Where the folder picker starts: the root of the drive that holds the
    // program ("C:/"), or, where paths have no drive, the home folder (the
    // file system's root holds no media).
    static QString folderPickerStart(const QString &programFolder, const QString &homeFolder);
};
