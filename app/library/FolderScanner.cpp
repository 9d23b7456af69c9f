#include "app/library/FolderScanner.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <vector>

namespace {

// Case-insensitive first, so "B.mp4" sits beside "b.mp4"; the exact text
// breaks ties so the order never depends on the locale or the disk.
void sortNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
}

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

constexpr QDir::Filters kFileFilter = QDir::Files;
constexpr QDir::Filters kSubfolderFilter = QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks;

}  // namespace

FolderScanner::FolderScanner(Subfolders subfolders, FolderVisitor visit)
    : m_subfolders(subfolders), m_visit(std::move(visit))
{
}

FolderScanner::Walk FolderScanner::scan(const QString &folder) const
{
    // An explicit stack rather than recursion: a very deep tree cannot
    // exhaust the window thread's stack.
    std::vector<QString> pending{cleanFolderPath(folder)};
    while (!pending.empty()) {
        const QString current = std::move(pending.back());
        pending.pop_back();
        if (!QFileInfo(current).isDir())
            continue;
        if (m_visit(current, fileNames(current)) == Walk::Stop)
            return Walk::Stop;
        if (m_subfolders == Subfolders::Excluded)
            continue;
        const QStringList subfolders = subfolderNames(current);
        // Pushed last-first so the first subfolder is walked next.
        for (auto it = subfolders.crbegin(); it != subfolders.crend(); ++it)
            pending.push_back(childPath(current, *it));
    }
    return Walk::Continue;
}

bool FolderScanner::holdsAnyFile(const QString &folder, Subfolders subfolders)
{
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !QFileInfo(folder).isDir())
        return false;
    std::vector<QString> pending{cleanFolderPath(folder)};
    while (!pending.empty()) {
        const QString current = std::move(pending.back());
        pending.pop_back();
        if (QDirIterator(current, kFileFilter).hasNext())
            return true;
        if (subfolders == Subfolders::Excluded)
            break;
        for (const QString &name : QDir(current).entryList(kSubfolderFilter, QDir::Unsorted))
            pending.push_back(childPath(current, name));
    }
    return false;
}

QStringList FolderScanner::fileNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(kFileFilter, QDir::Unsorted);
    sortNames(names);
    return names;
}

QStringList FolderScanner::subfolderNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(kSubfolderFilter, QDir::Unsorted);
    sortNames(names);
    return names;
}

QString FolderScanner::cleanFolderPath(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}
