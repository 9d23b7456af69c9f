#pragma once

#include "app/update/UrlDownload.h"

#include <QString>
#include <QStringList>
#include <QUrl>

class DialogService;
class DownloadProgressView;

// What the update needs to know about this installation.
struct UpdateSetup {
    QUrl baseUrl;           // the update server's folder URL
    QString programFolder;  // holds the program and the restarter
    QString dataFolder;     // downloads; ends with a separator
    QString windowCaption;  // the restarter names the program by it
};

// The update button's work once the window is out of the way: makes sure the
// RAR tool is installed, downloads the update archive, checks that it can be
// unpacked safely into the program folder and hands over to the restarter,
// which replaces the program's files and starts it again.
class ProgramUpdate {
public:
    enum class Outcome {
        HandedOver,  // the restarter runs: the program must end now
        Returned,    // nothing was handed over: the window comes back
    };

    // The archive download stops on Cancel in the progress view, after an
    // overall time, and below a minimum rate.
    static UrlDownload::Limits defaultArchiveLimits();

    ProgramUpdate(const UpdateSetup &setup, DialogService &dialogs, DownloadProgressView *progress = nullptr,
                  UrlDownload::Limits archiveLimits = defaultArchiveLimits());

    Outcome run();

    // Where the archive is saved: the data folder when the program sits in a
    // protected folder, the program folder otherwise.
    QString archivePath() const;
    QString restarterPath() const;
    // Archive path, "1" (restart afterwards), program title and window
    // caption, joined by tabs.
    QString handOverParameters() const;

    // True when every entry is a relative path without "..", so unpacking
    // writes nothing outside the destination folder; false for no entries.
    static bool entriesStayInside(const QStringList &entries);

    enum class ArchiveCheck {
        Sound,         // every entry's data matches its checksum, all inside
        Damaged,       // unreadable, cut short, or data that fails its checksum
        LeavesFolder,  // an entry would be written outside the destination
    };
    // The check made before the hand-over and again by the restarter.
    static ArchiveCheck checkArchive(const QString &toolPath, const QString &archivePath);
    // The stored version note that may name the archive's SHA-256.
    QString noteFilePath() const;

    static QString downloadFailedText() { return QStringLiteral("更新升级文件包下载失败，请稍后重试！"); }
    static QString downloadedText()
    {
        return QStringLiteral("更新升级文件包下载完毕！即将自动解压覆盖原文件以完成更新升级！");
    }
    static QString installPackageText()
    {
        return QStringLiteral("资源文件缺失，请先安装RAR解压缩工具bsdtar（软件包libarchive-tools，"
                              "例如：sudo apt-get install libarchive-tools）！");
    }

private:
    // The tool's path, installing it through its installer where the system
    // has one; empty when the user gave up or must install it himself.
    QString ensureRarTool();
    enum class DownloadEnd { Complete, Failed, Cancelled };
    DownloadEnd downloadArchive(const QString &archive);

    UpdateSetup m_setup;
    DialogService &m_dialogs;
    DownloadProgressView *m_progress;
    UrlDownload::Limits m_archiveLimits;
};
