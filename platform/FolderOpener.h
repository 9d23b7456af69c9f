#pragma once

#include <QString>

// Shows a folder in the desktop's file manager, without waiting.
bool OpenFolderInFileManager(const QString &folder);
