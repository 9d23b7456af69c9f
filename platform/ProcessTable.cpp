#include "platform/ProcessTable.h"

#include <QThread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cwchar>
#include <tlhelp32.h>
#include <windows.h>
#else
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

QString baseName(const wchar_t *path, std::size_t length)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (path[i] == L'\\' || path[i] == L'/')
            start = i + 1;
    }
    return QString::fromWCharArray(path + start, qsizetype(length - start));
}

// A process that ended can stay in the snapshot while someone holds a handle
// to it; only one that has not yet signalled its end counts.
bool isLive(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!process) {
        // Protected system processes cannot be opened but are running.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool live = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return live;
}

// Calls visit(pid, name) for each entry of a fresh snapshot until it returns false.
template <typename Visit>
void forEachSnapshotEntry(Visit visit)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const std::size_t length = wcsnlen(entry.szExeFile, sizeof entry.szExeFile / sizeof(wchar_t));
        if (!visit(entry.th32ProcessID, baseName(entry.szExeFile, length)))
            break;
    }
    CloseHandle(snapshot);
}

#else

enum class ProcessState { Missing, Live, Ended };

// Reads a small /proc file; the number of bytes read, or -1.
ssize_t readProcFile(const char *path, char *buffer, std::size_t size)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ssize_t total = 0;
    while (std::size_t(total) < size) {
        const ssize_t n = ::read(fd, buffer + total, size - std::size_t(total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

ProcessState stateOf(const char *pidText)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pidText);
    char buffer[512];
    const ssize_t length = readProcFile(path, buffer, sizeof buffer - 1);
    if (length <= 0)
        return ProcessState::Missing;
    buffer[length] = '\0';
    // "pid (comm) S ...": the command name may itself hold ") ", so the state
    // follows the last closing parenthesis.
    const char *close = std::strrchr(buffer, ')');
    if (!close || close[1] != ' ' || close[2] == '\0')
        return ProcessState::Missing;
    const char state = close[2];
    return (state == 'Z' || state == 'X') ? ProcessState::Ended : ProcessState::Live;
}

QString baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return QFile::decodeName(slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1);
}

// The name under which a process runs: the file its exe link points to; when
// another user's process hides that link, argv[0], and last the kernel's
// short command name. Empty for a process that runs no program file (a kernel
// thread, a zombie, one just ending): no name can match it, and skipping the
// two extra reads for these keeps a look-up cheap enough to repeat many times
// a second.
QString nameOf(const char *pidText)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/exe", pidText);
    char target[4096];
    const ssize_t linkLength = ::readlink(path, target, sizeof target);
    if (linkLength > 0 && std::size_t(linkLength) < sizeof target) {
        std::string file(target, std::size_t(linkLength));
        static const std::string deleted = " (deleted)";
        if (file.size() > deleted.size()
            && file.compare(file.size() - deleted.size(), deleted.size(), deleted) == 0)
            file.resize(file.size() - deleted.size());
        return baseName(file);
    }
    if (linkLength < 0 && errno != EACCES && errno != EPERM)
        return {};

    char buffer[4096];
    std::snprintf(path, sizeof path, "/proc/%s/cmdline", pidText);
    ssize_t length = readProcFile(path, buffer, sizeof buffer - 1);
    if (length > 0) {
        buffer[length] = '\0';  // argv[0] ends at its own NUL
        if (buffer[0] != '\0')
            return baseName(std::string(buffer));
    }

    std::snprintf(path, sizeof path, "/proc/%s/comm", pidText);
    length = readProcFile(path, buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\0'))
        --length;
    return QFile::decodeName(QByteArray(buffer, length));
}

bool isPidText(const char *text)
{
    if (!*text)
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

QByteArray pidTextOf(qint64 pid)
{
    return QByteArray::number(pid);
}

#endif

}  // namespace

QList<ProcessEntry> ProcessTable::find(const NameFilter &filter, MatchLimit limit)
{
    QList<ProcessEntry> found;
#ifdef _WIN32
    forEachSnapshotEntry([&](DWORD pid, const QString &name) {
        if (pid == 0 || !filter(name) || !isLive(pid))
            return true;
        found.append({qint64(pid), name});
        return limit == MatchLimit::All;
    });
#else
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return found;
    while (const dirent *entry = ::readdir(proc)) {
        if (!isPidText(entry->d_name))
            continue;
        // The name first: it decides for almost every process, and the state
        // is only read for the few that match.
        const QString name = nameOf(entry->d_name);
        if (name.isEmpty() || !filter(name) || stateOf(entry->d_name) != ProcessState::Live)
            continue;
        found.append({QByteArray(entry->d_name).toLongLong(), name});
        if (limit == MatchLimit::First)
            break;
    }
    ::closedir(proc);
#endif
    return found;
}

QList<ProcessEntry> ProcessTable::runningProcesses()
{
    return find([](const QString &) { return true; });
}

bool ProcessTable::isRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef _WIN32
    if (pid > qint64(MAXDWORD))
        return false;
    return isLive(DWORD(pid));
#else
    return stateOf(pidTextOf(pid).constData()) == ProcessState::Live;
#endif
}

std::optional<quint64> ProcessTable::startMark(qint64 pid)
{
    if (!isRunning(pid))
        return std::nullopt;
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return std::nullopt;
    FILETIME created, exited, kernel, user;
    const bool known = GetProcessTimes(process, &created, &exited, &kernel, &user) != 0;
    CloseHandle(process);
    if (!known)
        return std::nullopt;
    return (quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime;
#else
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    char buffer[1024];
    const ssize_t length = readProcFile(path, buffer, sizeof buffer - 1);
    if (length <= 0)
        return std::nullopt;
    buffer[length] = '\0';
    // Field 22 (starttime). The command name (field 2) may hold blanks; the
    // blank after its closing parenthesis comes before field 3.
    const char *field = std::strrchr(buffer, ')');
    if (!field)
        return std::nullopt;
    ++field;
    for (int number = 3; number < 22 && field; ++number)
        field = std::strchr(field + 1, ' ');
    if (!field)
        return std::nullopt;
    char *end = nullptr;
    const unsigned long long ticks = std::strtoull(field + 1, &end, 10);
    if (end == field + 1)
        return std::nullopt;
    return quint64(ticks);
#endif
}

QString ProcessTable::executableName(qint64 pid)
{
    if (!isRunning(pid))
        return {};
#ifdef _WIN32
    QString name;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (process) {
        wchar_t path[MAX_PATH * 4];
        DWORD length = DWORD(sizeof path / sizeof(wchar_t));
        if (QueryFullProcessImageNameW(process, 0, path, &length))
            name = baseName(path, length);
        CloseHandle(process);
    }
    if (name.isEmpty()) {
        forEachSnapshotEntry([&](DWORD entryPid, const QString &entryName) {
            if (qint64(entryPid) != pid)
                return true;
            name = entryName;
            return false;
        });
    }
    return name;
#else
    return nameOf(pidTextOf(pid).constData());
#endif
}

bool ProcessTable::terminate(qint64 pid)
{
    // Ids of 0 and below address process groups or every process on POSIX.
    if (pid <= 0)
        return false;
#ifdef _WIN32
    if (pid > qint64(MAXDWORD))
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool accepted = TerminateProcess(process, 0) != 0;
    if (accepted)
        WaitForSingleObject(process, 2000);
    CloseHandle(process);
    return accepted;
#else
    if (::kill(pid_t(pid), SIGKILL) != 0)
        return false;
    // The signal is delivered asynchronously; wait until the process is no
    // longer live so that callers see the table without it.
    QElapsedTimer timer;
    timer.start();
    while (isRunning(pid) && timer.elapsed() < 2000)
        QThread::msleep(2);
    return true;
#endif
}

bool ProcessTable::namesEqual(const QString &executableName, const QString &name)
{
    return executableName.compare(name, Qt::CaseInsensitive) == 0;
}

bool ProcessTable::nameStartsWith(const QString &executableName, const QString &name)
{
    return executableName.startsWith(name, Qt::CaseInsensitive);
}

bool ProcessExists(const QString &name)
{
    if (name.isEmpty())
        return false;
    const auto matches = [&name](const QString &executable) {
        return ProcessTable::namesEqual(executable, name);
    };
    return !ProcessTable::find(matches, MatchLimit::First).isEmpty();
}

int KillProcessesByName(const QString &name)
{
    // An empty name would match every process.
    if (name.isEmpty())
        return 0;
    const auto matches = [&name](const QString &executable) {
        return ProcessTable::nameStartsWith(executable, name);
    };
    const QList<ProcessEntry> first = ProcessTable::find(matches, MatchLimit::First);
    if (first.isEmpty())
        return 0;
    return ProcessTable::terminate(first.front().pid) ? 1 : 0;
}
