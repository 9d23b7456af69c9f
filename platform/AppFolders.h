#pragma once

#include <QString>

// The folders the program builds its paths on.
struct AppFolders {
    QString programFolder;  // holds the program and the files shipped beside it
    QString workRoot;       // the workspace is workRoot + "Tmp"; ends with a separator
    QString dataFolder;     // downloads; ends with a separator

    // On Linux the workspace lives in the user's own cache folder (never a
    // filesystem root) and downloads in the user's data folder.
    static AppFolders forCurrentUser(const QString &programFolder);
};
