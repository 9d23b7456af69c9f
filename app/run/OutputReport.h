#pragma once

#include "app/run/OutputResult.h"

#include <QList>
#include <QString>

// One source an output is made of, as drawn: a video or picture file and,
// for a clip, where in the file it starts.
struct SourceUse {
    QString path;
    double startSeconds = 0;
};

// What one output used and how it ended. The composer fills the sources, the
// sound and the length while it draws, and the reason when a step fails; the
// run adds the number, the file and the result.
struct OutputReport {
    int outputNumber = 0;
    QString file;  // the output's final path
    OutputResult result = OutputResult::Failed;
    bool started = true;       // false: the run ended (or a plan stopped) before this output
    QString reason;            // why the output failed or was skipped, in the program's words
    QList<SourceUse> sources;  // in the order of the quadrants (or of the slide show)
    QString soundPath;         // the audio file, or the video whose sound plays; empty: silent
    double lengthSeconds = 0;  // the output's length as drawn
};
