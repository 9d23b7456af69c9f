#pragma once

#include <QString>

// What can be known to fail before a run makes anything: the media tool
// missing beside the program, an output folder that takes no file, a work
// root where the tool cannot run (a disk mounted without exec rights).
// Empty when the run may start; else one message in the program's words.
QString CheckRunPreconditions(const QString &programFolder, const QString &outputFolder,
                              const QString &workRoot);
