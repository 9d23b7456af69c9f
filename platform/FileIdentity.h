#pragma once

#include <QString>

// Text that names one file on its volume, whatever its name (device, inode
// number and generation and birth time, or volume serial, file index and
// creation time): a file put under the same name later has another. Empty
// when the path names no file that can be opened (a link is not followed).
QString FileIdentity(const QString &path);
