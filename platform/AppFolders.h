#pragma once

#include <QList>
#include <QString>

// The folders the program builds its paths on.
struct AppFolders {
    QString programFolder;  // holds the program and the files shipped beside it
    QString workRoot;       // the workspace is workRoot + "Tmp"; ends with a separator
    QString dataFolder;     // downloads; ends with a separator

    // On Linux the workspace lives in the user's own cache folder (never a
    // filesystem root) and downloads in the user's data folder. On Windows
    // downloads go to ProgramData\<program folder's name>\ (the program
    // folder when there is no ProgramData) and the workspace to the root of
    // the ready drive with the most free space.
    static AppFolders forCurrentUser(const QString &programFolder);

    // The folder with the program's companions (CutMedia.dll, Black.dll,
    // ZarvRebooter): the binary's own folder when they are there (the build
    // folder, a Windows-style folder), else the installed layout's
    // ../lib/zarvmulvideoeditor when that has them, else the binary's folder.
    static QString programFolderFor(const QString &binaryFolder);

    struct DriveSpace {
        QString root;  // "C:/"
        bool ready = false;
        qint64 bytesAvailable = 0;
    };
    // The root of the ready drive with the most available space; on a tie the
    // earlier drive; empty when no drive is ready.
    static QString roomiestReadyDrive(const QList<DriveSpace> &drives);

    // True when the program sits where its own files cannot be replaced by
    // the user: under Program Files on Windows (with a ProgramData folder to
    // download into instead), a folder the user cannot write to elsewhere.
    static bool installedInProtectedFolder(const QString &programFolder);
};
