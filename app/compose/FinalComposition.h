#pragma once

#include "app/run/OutputResult.h"

#include <QStringList>

struct ComposeEnvironment;
class OutputStatus;

// Runs the last step of an output, the one that writes the output file, and
// decides whether the output was made: only a file written during this
// output, not empty and (when the environment has a prober) readable as a
// video counts. A file this output began but could not finish is removed.
// Shows the generating text while the tool runs, then the done or failed text.
OutputResult RunFinalComposition(ComposeEnvironment &environment, OutputStatus &status,
                                 const QStringList &arguments);
