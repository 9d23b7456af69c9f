#include "app/run/Workspace.h"

#include "app/run/WorkspaceRecord.h"
#include "platform/FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

namespace {

// Enough names for every instance a user can start at once; past them the
// run has no workspace and its steps fail.
constexpr int kMaxWorkspaces = 1000;

bool carriesMarker(const QString &folder)
{
    return QFileInfo(folder + QLatin1Char('/') + Workspace::markerName()).isFile();
}

// A claim on a workspace name; empty when a running instance holds it. A
// claim left by an instance that no longer runs is taken over.
std::unique_ptr<QLockFile> claim(const QString &folder)
{
    auto lock = std::make_unique<QLockFile>(folder + Workspace::lockSuffix());
    // A long run keeps its claim however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

}  // namespace

Workspace::Workspace(const QString &workRoot) : m_workRoot(workRoot), m_folder(folderNamed(0))
{
}

Workspace::~Workspace() = default;

QString Workspace::folderNamed(int number) const
{
    const QString name =
        number == 0 ? QStringLiteral("Tmp") : QStringLiteral("Tmp") + QString::number(number);
    return QDir::cleanPath(m_workRoot + QLatin1Char('/') + name);
}

bool Workspace::isOurs() const
{
    return carriesMarker(m_folder);
}

bool Workspace::rebuild()
{
    QDir().mkpath(m_workRoot);
    m_claim.reset();
    for (int n = 0; n < kMaxWorkspaces && !m_claim; ++n) {
        const QString folder = folderNamed(n);
        std::unique_ptr<QLockFile> lock = claim(folder);
        if (!lock)
            continue;  // the workspace of a running instance
        // Somebody else's folder (or file) of the same name stays untouched.
        if (QFileInfo::exists(folder) && !carriesMarker(folder))
            continue;
        m_folder = folder;
        m_claim = std::move(lock);
    }
    if (!m_claim)
        return false;
    if (isOurs()) {
        // Left by an instance that ended without cleaning up (or by our own
        // earlier run that could not delete it).
        WorkspaceRecord::endLeftWork(m_folder);
        DeletePath(m_folder);  // a locked file keeps the old tree; it is reused then
    }
    removeLeftovers();
    if (!QDir().mkpath(m_folder + QStringLiteral("/Tmp")))
        return false;
    QFile marker(m_folder + QLatin1Char('/') + markerName());
    if (!marker.open(QIODevice::WriteOnly))
        return false;
    marker.write("workspace of ZarvMulVideoEditor; deleted after every run\n");
    return true;
}

void Workspace::removeLeftovers() const
{
    static const QRegularExpression workspaceName(QStringLiteral("^Tmp[0-9]*$"));
    const QStringList names = QDir(m_workRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : names) {
        const QString folder = QDir::cleanPath(m_workRoot + QLatin1Char('/') + name);
        if (folder == m_folder || !workspaceName.match(name).hasMatch() || !carriesMarker(folder))
            continue;
        // Held while it is deleted, so that no instance starting meanwhile
        // takes it over half-deleted.
        if (const std::unique_ptr<QLockFile> lock = claim(folder)) {
            WorkspaceRecord::endLeftWork(folder);
            DeletePath(folder);
        }
    }
}

bool Workspace::remove()
{
    const bool removed = isOurs() && DeletePath(m_folder);
    m_claim.reset();
    return removed;
}
