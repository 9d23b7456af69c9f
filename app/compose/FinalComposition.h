#pragma once

#include "app/compose/SoundTrackStep.h"
#include "app/run/OutputResult.h"

#include <QStringList>

#include <optional>

struct ComposeEnvironment;
class OutputStatus;

// The end of every final step's arguments: overwrite, best quality, the
// output cut to its length where it has one (inputs of other rates, a
// stream copy's key frames or a longer sound would otherwise run on), the
// pixel format the output type needs, and the output file.
QStringList FinalArgumentTail(const QString &outputType, const QString &outputPath,
                              std::optional<double> lengthSeconds = std::nullopt);

// Ends an output that a step could not make: the tools this output started
// and that still run are ended first (none may write into the next output's
// files), then the failed text is shown. reason says why, in a few words.
OutputResult FailOutput(ComposeEnvironment &environment, OutputStatus &status, const QString &reason = {});

// How the output ends when its sound step gave no sound to go on with
// (stopped, or failed); nothing when the output goes on.
std::optional<OutputResult> SoundStepEnd(ComposeEnvironment &environment, OutputStatus &status,
                                         const SoundTrackStep::Result &sound);

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
// series of frameFolder at framesPerSecond for lengthSeconds, with the
// prepared sound track when there is one (videoFilter: extra "-vf"
// arguments, or none), through RunFinalComposition.
OutputResult RunJpegSeriesComposition(ComposeEnvironment &environment, OutputStatus &status,
                                      const SoundTrackStep::Result &sound, const QString &frameFolder,
                                      int framesPerSecond, double lengthSeconds,
                                      const QStringList &videoFilter = {});
