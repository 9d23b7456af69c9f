#include "platform/FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}
#endif

}  // namespace

bool FlushFileToDisk(const QString &path)
{
#ifdef _WIN32
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
#else
    return syncPath(path, O_RDONLY);
#endif
}

bool ReplaceFile(const QString &from, const QString &to)
{
#ifdef _WIN32
    if (!FlushFileToDisk(from))
        return false;
    return MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()),
                       reinterpret_cast<const wchar_t *>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
           != 0;
#else
    // The data reaches the disk before the name points at it, so that after a
    // power cut the name holds the old file or the whole new one.
    if (!FlushFileToDisk(from))
        return false;
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    // The rename itself lasts only once the folder is written.
    syncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
#endif
}
