#pragma once

#include <QString>
#include <QStringList>

enum class RestarterMode { Update, CloseWatch, Relaunch };

// The restarter's command line: fields separated by tabs.
struct RestarterCommandLine {
    RestarterMode mode = RestarterMode::Update;
    QStringList fields;

    // A line whose first field names an existing file is an update hand-over,
    // whatever the path holds; otherwise "close" (close-watch) and then
    // "DoFails" (relaunch) anywhere in the line choose the mode, ignoring case.
    static RestarterCommandLine parse(const QString &line);
};

enum class RestartAfterUnpacking { No, Yes };

// The fields of an update hand-over, with the defaults for missing ones.
struct UpdateRequest {
    QString archive;
    RestartAfterUnpacking restart = RestartAfterUnpacking::No;
    QString programFile;   // started from the restarter's folder
    QString displayTitle;  // names the program in the success message

    static UpdateRequest fromFields(const QStringList &fields);
};
