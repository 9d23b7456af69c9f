#pragma once

#include "app/run/OutputReport.h"

#include <QDateTime>

#include <functional>
#include <memory>

class Workspace;
struct ComposeEnvironment;

// One composition mode as the batch run sees it. One composer is made per
// run (see ComposerFactory); it is prepared once, then asked for every output.
class Composer {
public:
    virtual ~Composer() = default;

    // Called once per run, after the workspace is rebuilt and the tool copied
    // into it: a mode makes the folders, canvases or copies it needs. False
    // refuses the run (after telling why in the status line): no output is made.
    // Most modes need nothing beyond the workspace itself.
    virtual bool prepare(Workspace &) { return true; }
    // Makes output outputNumber (1-based); outputStart is when the run began
    // this output (its elapsed time counts from there). The composer writes
    // into report what it drew and, when it fails, why.
    virtual OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) = 0;
    // Makes the draws of output outputNumber as compose would, in the same
    // order, without running a tool, and fills the report's sources, sound
    // and length with them. A mode that keeps draws between outputs (the sets
    // of videos already used) takes them as compose would, so that a run can
    // begin at any output. False when the mode cannot tell its draws ahead
    // (they depend on what its tools make).
    virtual bool plan(int outputNumber, OutputReport &report) { return false; }
};

// Chooses the composer of a run from the run's settings.
using ComposerFactory = std::function<std::unique_ptr<Composer>(ComposeEnvironment &environment)>;
