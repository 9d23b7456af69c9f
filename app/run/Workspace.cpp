#include "app/run/Workspace.h"

#include "platform/FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

Workspace::Workspace(const QString &workRoot) : m_workRoot(workRoot)
{
    m_folder = QDir::cleanPath(workRoot + QStringLiteral("/Tmp"));
}

bool Workspace::isOurs() const
{
    return QFileInfo(m_folder + QLatin1Char('/') + markerName()).isFile();
}

bool Workspace::rebuild()
{
    if (QFileInfo::exists(m_folder) && isOurs())
        DeletePath(m_folder);  // a locked file keeps the old tree; it is reused then
    // Somebody else's folder (or file) of the same name stays untouched.
    for (int n = 1; QFileInfo::exists(m_folder) && !isOurs(); ++n)
        m_folder = QDir::cleanPath(m_workRoot + QStringLiteral("/Tmp") + QString::number(n));
    if (!QDir().mkpath(m_folder + QStringLiteral("/Tmp")))
        return false;
    QFile marker(m_folder + QLatin1Char('/') + markerName());
    if (!marker.open(QIODevice::WriteOnly))
        return false;
    marker.write("workspace of ZarvMulVideoEditor; deleted after every run\n");
    return true;
}

void Workspace::createSlideShowFolders(SlideShowFolders kind, int perSourceCount)
{
    if (kind == SlideShowFolders::None)
        return;
    QDir().mkpath(m_folder + QStringLiteral("/Tmp/Images"));
    if (kind == SlideShowFolders::Shared) {
        QDir().mkpath(m_folder + QStringLiteral("/Tmp/SrcImg"));
        return;
    }
    for (int k = 1; k <= perSourceCount; ++k)
        QDir().mkpath(m_folder + QStringLiteral("/Tmp/SrcImg/") + QString::number(k));
}

bool Workspace::remove()
{
    if (!isOurs())
        return false;
    return DeletePath(m_folder);
}
