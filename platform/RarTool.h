#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One file or folder of a RAR archive as the archive's own headers describe it.
struct RarEntry {
    quint64 unpackedSize = 0;
    quint32 crc32 = 0;  // of the unpacked data
    bool folder = false;
};

// The installed tool that reads and unpacks RAR update archives: on Windows
// the program named by WinRAR's App Paths registry key, elsewhere bsdtar from
// Debian's libarchive-tools.
class RarTool {
public:
    // How a missing tool is put in place.
    enum class Installation {
        Installer,      // a downloadable installer (Windows)
        SystemPackage,  // the system's package manager (Linux)
    };

    // Full path of the installed tool; empty when there is none.
    static QString locate();
    static Installation installation();
    // The entry names of the archive as the tool lists them; nothing when the
    // tool cannot read it (not an archive, cut short, unreadable) or does not
    // finish within the time limit.
    static std::optional<QStringList> listEntries(const QString &toolPath, const QString &archivePath,
                                                  int timeLimitMilliseconds = 60000);
    // The entries of a RAR 4 archive, read from its headers; nothing when a
    // header is damaged, the archive is encrypted, spread over volumes, or
    // ends before its end-of-archive block (a cut download).
    static std::optional<QList<RarEntry>> readEntries(const QString &archivePath);
    // True when the tool unpacks every entry of the archive to exactly the
    // size and checksum its header gives, and lists as many entries.
    static bool verifyData(const QString &toolPath, const QString &archivePath,
                           int timeLimitMilliseconds = 10 * 60 * 1000);
    // The restarter's lookup: as locate(), then HaoZipC's App Paths key on Windows.
    static QString locateWithAlternative();
    // Arguments that extract the archive with full paths into the folder,
    // overwriting what is there.
    static QStringList extractArguments(const QString &archivePath, const QString &destinationFolder);
};
