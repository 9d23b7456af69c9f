#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
    // The restarter's lookup: as locate(), then HaoZipC's App Paths key on Windows.
    static QString locateWithAlternative();
    // Arguments that extract the archive with full paths into the folder,
    // overwriting what is there.
    static QStringList extractArguments(const QString &archivePath, const QString &destinationFolder);
};
