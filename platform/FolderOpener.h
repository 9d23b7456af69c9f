#pragma once

#include <QString>

// Shows a folder in the desktop's file manager, without waiting. False when
// there is no file manager to show it (nothing is started then).
bool OpenFolderInFileManager(const QString &folder);
