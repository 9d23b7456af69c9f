#include "app/update/VersionCheck.h"

#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>

VersionCheck::VersionCheck(const QUrl &noteUrl, const QString &notePath, const QString &programVersion,
                           std::chrono::milliseconds timeLimit, QObject *parent)
    : QObject(parent),
      m_download(noteUrl, notePath, UrlDownload::Limits{timeLimit, timeLimit}),
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
    QFile note(notePath);
    // A virus scanner may hold a fresh download for a moment: one more try.
    if (!note.open(QIODevice::ReadOnly) && !note.open(QIODevice::ReadOnly))
        return Verdict::NoAnswer;
    QString line = QString::fromUtf8(note.readLine(256));
    if (line.startsWith(QChar(0xFEFF)))
        line.remove(0, 1);
    line = line.trimmed();
    static const QRegularExpression versionNumber(QStringLiteral("^\\d{1,9}(\\.\\d{1,9}){0,3}$"));
    if (!versionNumber.match(line).hasMatch())
        return Verdict::NoAnswer;
    return line == programVersion ? Verdict::UpToDate : Verdict::UpdateDue;
}
