#pragma once

#include "app/library/SourceTable.h"
#include "app/run/RunSettings.h"

#include <QDateTime>
#include <QDir>
#include <QString>

class MediaProber;
class ToolRunner;
class RunContext;
class RandomSource;

// Everything a composer works with for one run. The settings are mutable
// because a random audio pick rewrites the fixed-audio captions, which later
// outputs of the run then see.
struct ComposeEnvironment {
    RunSettings &settings;
    const SourceTable &videos;
    const SourceTable &audios;
    const SourceTable &pictures;
    ToolRunner &runner;
    RunContext &context;
    RandomSource &random;
    // Absolute path of the workspace folder, without a trailing separator; the
    // media tool runs with it as its working folder.
    QString workspaceFolder;
    QDateTime runStartTime;
    // When given, a finished output must also read as a video (a tool that
    // failed half-way leaves a file that does not), and steps may read facts
    // of sources and clips that their list rows do not hold.
    MediaProber *outputProber = nullptr;
    // Holds the files shipped beside the program (Black.dll).
    QString programFolder = {};

    // A file or folder inside the workspace; name may hold "/"-separated
    // subfolders ("Tmp/Images").
    QString workspacePath(const QString &name) const
    {
        return workspaceFolder + QDir::separator() + QDir::toNativeSeparators(name);
    }
};
