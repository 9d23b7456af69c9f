#pragma once

#include <QString>

// Moves a file onto another name in the same folder in one step, replacing a
// file of that name: at every moment the name holds either the old file or
// the new one, never a part of either. The file is flushed to the disk
// before it takes the name, and the folder after, so that a power cut leaves
// the same choice. False when nothing was moved.
bool ReplaceFile(const QString &from, const QString &to);

// Writes what the system holds of the file to the disk; false when it could not.
bool FlushFileToDisk(const QString &path);
