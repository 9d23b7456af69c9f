#pragma once

#include "app/compose/SoundTrackStep.h"
#include "app/run/OutputResult.h"

#include <QStringList>

struct ComposeEnvironment;
class OutputStatus;

// Runs the last step of an output, the one that writes the output file (the
// last argument), and decides whether the output was made: only a file that
// is not empty and (when the environment has a prober) reads as a video
// counts. The tool writes under a name of its own beside the output's
// (PendingOutput), which the file takes only once it is complete; a file
// that was stopped or failed is removed, and an earlier file of the output's
// name stays. Shows the generating text while the tool runs, then the done
// or failed text.
OutputResult RunFinalComposition(ComposeEnvironment &environment, OutputStatus &status,
                                 const QStringList &arguments);

// The last step of a mode that paints its frames: encodes the numbered JPEG
// series of frameFolder at framesPerSecond, with the prepared sound track
// when there is one (videoFilter: extra "-vf" arguments, or none), through
// RunFinalComposition.
OutputResult RunJpegSeriesComposition(ComposeEnvironment &environment, OutputStatus &status,
                                      const SoundTrackStep::Result &sound, const QString &frameFolder,
                                      int framesPerSecond, const QStringList &videoFilter = {});
