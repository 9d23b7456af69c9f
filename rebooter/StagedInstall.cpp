#include "rebooter/StagedInstall.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

// One line per step, written before the step: "R path" replaces a file kept
// under old/, "A path" adds a file that was not there, "D path" adds a folder.
const QString JournalName = QStringLiteral("journal.txt");

bool moveFile(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::rename(from, to);
}

}  // namespace

StagedInstall::StagedInstall(const QString &installFolder)
    : m_folder(QDir::cleanPath(installFolder)),
      m_work(m_folder + QLatin1Char('/') + workFolderName())
{
}

QString StagedInstall::stagingFolder() const
{
    return m_work + QStringLiteral("/new");
}

bool StagedInstall::recover()
{
    return !QFileInfo::exists(m_work + QLatin1Char('/') + JournalName) || rollBack();
}

bool StagedInstall::prepare()
{
    if (!recover())
        return false;
    QDir(m_work).removeRecursively();
    return QDir().mkpath(stagingFolder());
}

bool StagedInstall::holdsEntries(const QStringList &entries) const
{
    for (QString entry : entries) {
        entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const bool folder = entry.endsWith(QLatin1Char('/'));
        const QFileInfo staged(stagingFolder() + QLatin1Char('/') + entry);
        if (folder ? !staged.isDir() : !(staged.isFile() || staged.isDir()))
            return false;
    }
    return true;
}

bool StagedInstall::journal(QChar kind, const QString &relativePath)
{
    QFile file(m_work + QLatin1Char('/') + JournalName);
    if (!file.open(QIODevice::Append))
        return false;
    const QByteArray line = QString(kind + QLatin1Char(' ') + relativePath + QLatin1Char('\n')).toUtf8();
    return file.write(line) == line.size() && file.flush();
}

bool StagedInstall::moveIntoPlace()
{
    const QDir staging(stagingFolder());
    QDirIterator folders(stagingFolder(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (folders.hasNext()) {
        const QString relative = staging.relativeFilePath(folders.next());
        const QString target = m_folder + QLatin1Char('/') + relative;
        if (QFileInfo(target).isDir())
            continue;
        if (relative.startsWith(workFolderName()) || !journal(QLatin1Char('D'), relative)
            || !QDir().mkpath(target)) {
            rollBack();
            return false;
        }
    }
    QDirIterator files(stagingFolder(), QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString relative = staging.relativeFilePath(files.next());
        const QString target = m_folder + QLatin1Char('/') + relative;
        const QFileInfo existing(target);
        bool moved = false;
        if (existing.isDir() || relative.startsWith(workFolderName())) {
            moved = false;  // a file may not take a folder's place
        } else if (existing.exists() || existing.isSymLink()) {
            // A program stays a program when the archive carries no modes.
            const QFileDevice::Permissions programBits = existing.permissions()
                                                         & (QFileDevice::ExeOwner | QFileDevice::ExeUser
                                                            | QFileDevice::ExeGroup | QFileDevice::ExeOther);
            moved = journal(QLatin1Char('R'), relative)
                    && moveFile(target, m_work + QStringLiteral("/old/") + relative)
                    && moveFile(files.filePath(), target);
            if (moved && programBits)
                QFile::setPermissions(target, QFile::permissions(target) | programBits);
        } else {
            moved = journal(QLatin1Char('A'), relative) && moveFile(files.filePath(), target);
        }
        if (!moved) {
            rollBack();
            return false;
        }
    }
    return true;
}

bool StagedInstall::rollBack()
{
    QFile file(m_work + QLatin1Char('/') + JournalName);
    if (!file.open(QIODevice::ReadOnly))
        return !file.exists();
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    bool restored = true;
    // Newest step first, so that every file ends as it was.
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = QString::fromUtf8(*line);
        if (text.size() < 3)
            continue;
        const QString relative = text.mid(2);
        if (relative.split(QLatin1Char('/')).contains(QStringLiteral("..")))
            continue;
        const QString target = m_folder + QLatin1Char('/') + relative;
        const QString kept = m_work + QStringLiteral("/old/") + relative;
        if (text.startsWith(QLatin1Char('R'))) {
            // The step may have stopped before the old file was moved aside.
            if (QFileInfo::exists(kept)) {
                QFile::remove(target);
                restored = QFile::rename(kept, target) && restored;
            }
        } else {
            if (text.startsWith(QLatin1Char('A')))
                QFile::remove(target);
            // Folders the update brought go again when empty.
            QString folder = text.startsWith(QLatin1Char('D')) ? target : QFileInfo(target).absolutePath();
            while (folder.startsWith(m_folder + QLatin1Char('/')) && QDir(folder).isEmpty()
                   && QDir().rmdir(folder))
                folder = QFileInfo(folder).absolutePath();
        }
    }
    if (restored)
        QDir(m_work).removeRecursively();
    return restored;
}

void StagedInstall::commit()
{
    QDir(m_work).removeRecursively();
}
