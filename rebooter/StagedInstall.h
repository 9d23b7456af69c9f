#pragma once

#include <QString>
#include <QStringList>

// Puts unpacked files into an installation so that it is never left
// half-written: the archive is unpacked into a staging folder inside the
// installation's own work folder, the files are moved into place only when
// all are there, and the files they replace are kept aside until commit().
// Every move is journalled first, so an update cut short (a crash, a power
// cut) is rolled back by the next restarter before it does anything else.
class StagedInstall {
public:
    explicit StagedInstall(const QString &installFolder);

    // Rolls back an update that never ended; false when that fails.
    bool recover();
    // Recovers, then makes an empty staging folder.
    bool prepare();
    QString stagingFolder() const;
    // True when every listed entry (as the RAR tool lists them) is in the
    // staging folder: a folder as a folder, anything else as a file.
    bool holdsEntries(const QStringList &entries) const;
    // Moves every staged file into place; on any failure puts back what it
    // had moved and returns false.
    bool moveIntoPlace();
    // Puts the replaced files back and removes the added ones.
    bool rollBack();
    // Forgets the replaced files and removes the work folder.
    void commit();

    static QString workFolderName() { return QStringLiteral(".zarv-update"); }

private:
    bool journal(QChar kind, const QString &relativePath);

    QString m_folder;
    QString m_work;
};
