#pragma once

#include "app/update/UrlDownload.h"

#include <QObject>
#include <QUrl>

#include <chrono>

// Asks the update server, without holding up the window, whether another
// version is published: downloads the version note into a file and reads its
// first line. Only a line that reads as a version number other than the
// program's own makes an update due; a note that cannot be fetched in time or
// says anything else changes nothing. Only the note's first NoteBytesLimit
// bytes are fetched and stored, however much the server sends.
class VersionCheck : public QObject {
    Q_OBJECT
public:
    enum class Verdict {
        Pending,
        UpdateDue,
        UpToDate,
        NoAnswer,  // no note in time, or a note that names no version
    };
    static constexpr std::chrono::milliseconds DefaultTimeLimit{5000};
    static constexpr qint64 NoteBytesLimit = 4096;

    VersionCheck(const QUrl &noteUrl, const QString &notePath, const QString &programVersion,
                 std::chrono::milliseconds timeLimit = DefaultTimeLimit, QObject *parent = nullptr);

    void start();
    Verdict verdict() const { return m_verdict; }
    // Waits, keeping the window responsive, until the check has ended; the
    // check's own time limit bounds the wait.
    void waitForVerdict();

    // The verdict on a note file that has been downloaded: its whole first
    // line is the version.
    static Verdict readNote(const QString &notePath, const QString &programVersion);
    // The archive's SHA-256 that the note names on a line "sha256=" and 64
    // hex digits, in lower case; empty when it names none.
    static QByteArray archiveSha256(const QString &notePath);

signals:
    void finished(VersionCheck::Verdict verdict);

private:
    void onDownloaded(bool succeeded);

    UrlDownload m_download;
    QString m_notePath;
    QString m_programVersion;
    Verdict m_verdict = Verdict::Pending;
    bool m_started = false;
};
