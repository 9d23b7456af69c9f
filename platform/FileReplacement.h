#pragma once

#include <QString>

// Moves a file onto another name in the same folder in one step, replacing a
// file of that name: at every moment the name holds either the old file or
// the new one, never a part of either. False when nothing was moved.
bool ReplaceFile(const QString &from, const QString &to);
