#pragma once

#include <QString>
#include <QStringList>

// The archive tool that unpacks update archives. On Windows the RAR tool named
// by its App Paths registry key (WinRAR, else HaoZipC); on Linux `bsdtar`
// (Debian package libarchive-tools), which reads RAR archives.
class RarTool {
public:
    // Full path of the installed tool; empty when there is none.
    static QString locate();
    // Extract with full paths into the folder, overwriting what is there.
    static QStringList extractArguments(const QString &archive, const QString &destinationFolder);
    // Lists the entry names one per line on standard output; empty when the
    // tool cannot list (then the entries are not checked beforehand).
    static QStringList listArguments(const QString &archive);
    // True for an entry that would land outside the folder it is unpacked
    // into: an absolute path, a drive letter or a ".." step.
    static bool entryLeavesFolder(const QString &entry);
};
