#include "platform/FileIdentity.h"

#include <QFile>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
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
    return QString::number(info.dwVolumeSerialNumber) + QLatin1Char(':') + QString::number(index);
#else
    struct stat info;
    // The link itself, never what it points to.
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QString::number(quint64(info.st_dev)) + QLatin1Char(':') + QString::number(quint64(info.st_ino));
#endif
}
