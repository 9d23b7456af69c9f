#include "platform/FolderOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The desktop's opener starts without looking whether any program handles
// folders, and reports that it started; the desktop's own list is asked
// first where there is one.
bool HasFolderHandler()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;  // the opener may still know one
    QProcess process;
    process.start(query,
                  {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("inode/directory")});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return true;
    }
    return !process.readAllStandardOutput().trimmed().isEmpty();
#else
    return true;
#endif
}

}  // namespace

bool OpenFolderInFileManager(const QString &folder)
{
    if (!HasFolderHandler())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
