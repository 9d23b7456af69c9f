#pragma once

#include <QString>

// Deletes a file or a whole folder tree at once (nothing goes to a recycle
// bin); true when something was there and is now gone.
// A symbolic link (or junction) is removed as a link: neither the path itself
// nor a link inside a deleted tree is ever followed into.
// Refused, with nothing deleted: an empty path, a missing path, and every path
// that IsProtectedFromDeletion names.
bool DeletePath(const QString &path);

// True for paths that must never be deleted as a whole: a file-system or drive
// root, the user's home folder, and any folder that holds the home folder.
// The path is judged by what it denotes after cleaning and after following the
// links on the way to it, so "/tmp/link/.." is judged as the link's parent.
bool IsProtectedFromDeletion(const QString &path);
