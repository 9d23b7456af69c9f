#include "platform/FolderOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool OpenFolderInFileManager(const QString &folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
