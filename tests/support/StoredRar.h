#pragma once

// Writes small RAR archives (the RAR 4 format, every file stored without
// compression) for the update tests: no RAR writer is packaged for Debian,
// and bsdtar reads this format.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace StoredRar {

// Entry names use "/" between folders; they are written as the format
// wants ("\") and read back by the tool as given.
QByteArray archive(const QList<QPair<QString, QByteArray>> &files);

}  // namespace StoredRar
