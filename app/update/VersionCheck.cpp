#include "app/update/VersionCheck.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

UrlDownload::Limits noteLimits(std::chrono::milliseconds timeLimit)
{
    UrlDownload::Limits limits;
    limits.total = timeLimit;
    limits.stall = timeLimit;
    limits.keepFirstBytes = VersionCheck::NoteBytesLimit;
    return limits;
}

// The stored note's lines; a note is never longer than the download keeps.
QList<QByteArray> noteLines(const QString &notePath)
{
    QFile note(notePath);
    // A virus scanner may hold a fresh download for a moment: one more try.
    if (!note.open(QIODevice::ReadOnly) && !note.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = note.read(VersionCheck::NoteBytesLimit);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text.split('\n');
}

}  // namespace

VersionCheck::VersionCheck(const QUrl &noteUrl, const QString &notePath, const QString &programVersion,
                           std::chrono::milliseconds timeLimit, QObject *parent)
    : QObject(parent),
      m_download(noteUrl, notePath, noteLimits(timeLimit)),
      m_notePath(notePath),
      m_programVersion(programVersion)
{
    connect(&m_download, &UrlDownload::finished, this, &VersionCheck::onDownloaded);
}

void VersionCheck::start()
{
    if (m_started)
        return;
    m_started = true;
    m_download.start();
}

void VersionCheck::waitForVerdict()
{
    if (!m_started || m_verdict != Verdict::Pending)
        return;
    QEventLoop loop;
    connect(this, &VersionCheck::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

void VersionCheck::onDownloaded(bool succeeded)
{
    m_verdict = succeeded ? readNote(m_notePath, m_programVersion) : Verdict::NoAnswer;
    emit finished(m_verdict);
}

VersionCheck::Verdict VersionCheck::readNote(const QString &notePath, const QString &programVersion)
{
    const QList<QByteArray> lines = noteLines(notePath);
    // A first line that does not end within the stored part is not judged
    // by a piece of it.
    if (lines.size() < 2 && QFileInfo(notePath).size() >= NoteBytesLimit)
        return Verdict::NoAnswer;
    const QString line = QString::fromUtf8(lines.value(0)).trimmed();
    static const QRegularExpression versionNumber(QStringLiteral("^\\d{1,9}(\\.\\d{1,9}){0,3}$"));
    if (!versionNumber.match(line).hasMatch())
        return Verdict::NoAnswer;
    return line == programVersion ? Verdict::UpToDate : Verdict::UpdateDue;
}

QByteArray VersionCheck::archiveSha256(const QString &notePath)
{
    static const QRegularExpression digest(QStringLiteral("^sha256=([0-9A-Fa-f]{64})$"));
    for (const QByteArray &line : noteLines(notePath)) {
        const QRegularExpressionMatch match = digest.match(QString::fromLatin1(line.trimmed()));
        if (match.hasMatch())
            return match.captured(1).toLower().toLatin1();
    }
    return {};
}
