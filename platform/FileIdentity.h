#pragma once

#include <QString>

// Text that names one file on its volume, whatever its name (device and
// inode numbers, or volume serial and file index): a file put under the same
// name later has another. Empty when the file cannot be read.
QString FileIdentity(const QString &path);
