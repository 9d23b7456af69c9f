#pragma once

// A stand-in for ZarvRebooter: a script placed in a program folder that
// records how it was started (parameter count, first parameter, working
// folder) in a file, written whole once it is complete.

#include "ProcessWaits.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <optional>

struct StandInRestarter {
    struct Start {
        int parameterCount = -1;
        QString parameters;
        QString workingFolder;
    };

    // False when the script cannot be written.
    static bool install(const QString &programFolder, const QString &recordPath)
    {
        const QString script = programFolder + QStringLiteral("/ZarvRebooter");
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$#\" \"$1\" \"$(pwd)\" > '%1.part'\n"
                                  "mv '%1.part' '%1'\n")
                       .arg(recordPath)
                       .toUtf8());
        file.close();
        return QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    }

    // Waits (bounded) for the record; no value when the script never ran.
    static std::optional<Start> waitForStart(const QString &recordPath)
    {
        if (!waitUntil([&] { return QFileInfo::exists(recordPath); }, 10000))
            return std::nullopt;
        QFile file(recordPath);
        file.open(QIODevice::ReadOnly);
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (lines.size() < 3)
            return std::nullopt;
        return Start{lines[0].toInt(), lines[1], lines[2]};
    }
};
