#include "platform/FileIdentity.h"

#include <QFile>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif
#endif

QString FileIdentity(const QString &path)
{
#ifdef _WIN32
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known)
        return {};
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    const quint64 created =
        (quint64(info.ftCreationTime.dwHighDateTime) << 32) | info.ftCreationTime.dwLowDateTime;
    return QStringLiteral("%1:%2:%3").arg(info.dwVolumeSerialNumber).arg(index).arg(created);
#else
    // Never through a link, and never waiting on a pipe.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return {};
    }
    QString identity =
        QString::number(quint64(info.st_dev)) + QLatin1Char(':') + QString::number(quint64(info.st_ino));
#ifdef __linux__
    // A file made right after another was deleted often gets its inode
    // number; the inode's generation and the birth time tell them apart.
    int generation = 0;
    if (::ioctl(fd, FS_IOC_GETVERSION, &generation) == 0)
        identity += QLatin1Char(':') + QString::number(generation);
    struct statx born;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &born) == 0 && (born.stx_mask & STATX_BTIME))
        identity += QStringLiteral(":%1.%2").arg(born.stx_btime.tv_sec).arg(born.stx_btime.tv_nsec);
#endif
    ::close(fd);
    return identity;
#endif
}
