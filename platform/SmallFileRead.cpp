#include "platform/SmallFileRead.h"

#include <QFile>
#include <QFileInfo>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

SmallFileRead ReadSmallFile(const QString &path, qint64 maxBytes)
{
    using Outcome = SmallFileRead::Outcome;
    // The type is known before anything is opened.
    const QFileInfo info(path);
    if (!info.exists())
        return {Outcome::Missing, {}};
    if (!info.isFile())
        return {Outcome::NotAFile, {}};
    if (info.size() > maxBytes)
        return {Outcome::TooLarge, {}};
    QFile file;
#ifdef _WIN32
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::Unreadable, {}};
#else
    // Non-blocking, and the type checked again on what was opened: the name
    // may have been given to a pipe meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {Outcome::Unreadable, {}};
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return {Outcome::NotAFile, {}};
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {Outcome::Unreadable, {}};
    }
#endif
    // One byte more than allowed tells a file that grew since.
    QByteArray content = file.read(maxBytes + 1);
    if (content.size() > maxBytes)
        return {Outcome::TooLarge, {}};
    if (file.error() != QFileDevice::NoError)
        return {Outcome::Unreadable, {}};
    return {Outcome::Read, content};
}
