#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct ProcessEntry {
    qint64 pid = 0;
    // File name of the executable without folder ("CutMedia.exe").
    QString executableName;
};

enum class MatchLimit { First, All };

// The operating system's process list. Only live processes count: a process
// that has ended but not yet been collected by its parent (a zombie) is left
// out, so a finished tool never looks as if it were still running. Kernel
// threads, which run no program file, are not listed either.
class ProcessTable {
public:
    using NameFilter = std::function<bool(const QString &executableName)>;

    // Live processes whose executable name passes the filter, in the system's
    // order (ascending ids on Linux, snapshot order on Windows).
    static QList<ProcessEntry> find(const NameFilter &filter, MatchLimit limit = MatchLimit::All);
    static QList<ProcessEntry> runningProcesses();

    static bool isRunning(qint64 pid);
    // When a live process started, in the system's own units (clock ticks
    // since boot on Linux, file time on Windows): with the id it tells one
    // process from a later one that got the same id. None when there is none.
    static std::optional<quint64> startMark(qint64 pid);
    // Executable name of a live process; empty when there is none with that id.
    static QString executableName(qint64 pid);
    // Ends the process at once (no chance to clean up) and waits briefly until
    // it is gone; true when the request was accepted.
    static bool terminate(qint64 pid);

    static bool namesEqual(const QString &executableName, const QString &name);
    // Equal, or the executable name begins with the given name (both ignoring case).
    static bool nameStartsWith(const QString &executableName, const QString &name);
};

// True while a live process with exactly this executable name exists (letter
// case ignored).
bool ProcessExists(const QString &name);

// Terminates the first live process whose executable name equals or begins with
// the given name (letter case ignored); later matches keep running.
// 1 when one was terminated, 0 otherwise.
int KillProcessesByName(const QString &name);
