#pragma once

// A stand-in for ZarvRebooter: a script in a program folder that records its
// parameter count, first parameter and working folder, one a line, in a file
// that appears whole.

#include "ProcessWaits.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace StandInRestarter {

inline bool install(const QString &programFolder, const QString &recordPath)
{
    QFile script(programFolder + QStringLiteral("/ZarvRebooter"));
    return script.open(QIODevice::WriteOnly)
        && script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$#\" \"$1\" \"$(pwd)\" > '%1.part'\n"
                                       "mv '%1.part' '%1'\n").arg(recordPath).toUtf8()) > 0
        && script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

// The three recorded lines; empty when the script did not run within 10 s.
inline QStringList waitForStart(const QString &recordPath)
{
    QFile record(recordPath);
    if (!waitUntil([&] { return record.exists(); }, 10000) || !record.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(record.readAll()).split(QLatin1Char('\n')).mid(0, 3);
}

}  // namespace StandInRestarter
