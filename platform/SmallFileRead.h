#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole regular file of at most maxBytes. Whatever else the path
// names is refused without waiting for it: a pipe is never opened for
// reading in a way that blocks, and a device (an endless one such as
// /dev/zero) or a larger file is not read at all.
struct SmallFileRead {
    enum class Outcome { Read, Missing, NotAFile, TooLarge, Unreadable };
    Outcome outcome = Outcome::Unreadable;
    QByteArray content;
};

SmallFileRead ReadSmallFile(const QString &path, qint64 maxBytes);
