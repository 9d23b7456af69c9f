#include "platform/FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

fs::path toFsPath(const QString &path)
{
#ifdef _WIN32
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromFsPath(const fs::path &path)
{
#ifdef _WIN32
    return QDir::cleanPath(QString::fromStdWString(path.generic_wstring()));
#else
    return QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(path.generic_string())));
#endif
}

// What a path denotes: the entry that a deletion would remove.
struct Target {
    bool exists = false;
    fs::path path;        // parent folders resolved, the last part kept as named
    bool isLink = false;  // the last part is a link, removed as such
};

Target resolveTarget(const QString &text)
{
    Target target;
    std::error_code error;
    fs::path path = fs::absolute(toFsPath(text), error);
    if (error)
        return target;
    // "folder/" names the folder itself.
    while (path.filename().empty() && path.has_relative_path())
        path = path.parent_path();

    const fs::path name = path.filename();
    if (name.empty() || name == "." || name == "..") {
        // Only a folder can be meant; follow everything to find which.
        target.path = fs::canonical(path, error);
        target.exists = !error;
        return target;
    }

    const fs::path parent = fs::canonical(path.parent_path(), error);
    if (error)
        return target;
    target.path = parent / name;
    const fs::file_status status = fs::symlink_status(target.path, error);
    if (error || !fs::exists(status))
        return target;
    target.exists = true;
    target.isLink = fs::is_symlink(status)
                    || QFileInfo(fromFsPath(target.path)).isJunction();
    return target;
}

bool isRootPath(const QString &cleanAbsolute)
{
    return QDir(cleanAbsolute).isRoot() || toFsPath(cleanAbsolute).relative_path().empty();
}

bool isSameOrAncestor(const QString &candidate, const QString &protectedPath)
{
    if (protectedPath.isEmpty())
        return false;
    if (candidate.compare(protectedPath, PathCase) == 0)
        return true;
    const QString prefix = candidate.endsWith(QLatin1Char('/')) ? candidate : candidate + QLatin1Char('/');
    return protectedPath.startsWith(prefix, PathCase);
}

bool isProtectedLocation(const QString &cleanAbsolute)
{
    if (cleanAbsolute.isEmpty() || isRootPath(cleanAbsolute))
        return true;
    // The home folder both as configured and as resolved, since either may be a link.
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString resolvedHome = QFileInfo(home).canonicalFilePath();
    return isSameOrAncestor(cleanAbsolute, home) || isSameOrAncestor(cleanAbsolute, resolvedHome);
}

bool isProtected(const QString &text, const Target &target)
{
    if (text.trimmed().isEmpty())
        return true;
    // As written, so that a home folder reached through a link is kept too.
    if (isProtectedLocation(QDir::cleanPath(QFileInfo(text).absoluteFilePath())))
        return true;
    // As denoted. Removing a link never touches what it points to, so a link
    // is judged by its own place.
    return target.exists && isProtectedLocation(fromFsPath(target.path));
}

bool removeTree(const fs::path &path)
{
    std::error_code error;
    fs::remove_all(path, error);
#ifdef _WIN32
    if (error) {
        // Read-only files stop the removal on Windows; make them writable and retry.
        std::error_code ignored;
        for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ignored), end;
             !ignored && it != end; it.increment(ignored)) {
            if (!it->is_symlink(ignored))
                fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
        error.clear();
        fs::remove_all(path, error);
    }
#endif
    return !error;
}

}  // namespace

bool IsProtectedFromDeletion(const QString &path)
{
    return isProtected(path, resolveTarget(path));
}

bool DeletePath(const QString &path)
{
    if (path.trimmed().isEmpty())
        return false;
    const Target target = resolveTarget(path);
    if (!target.exists || isProtected(path, target))
        return false;

    std::error_code error;
    if (target.isLink)
        fs::remove(target.path, error);
    else if (!removeTree(target.path))
        return false;
    if (error)
        return false;
    return !fs::exists(fs::symlink_status(target.path, error));
}
