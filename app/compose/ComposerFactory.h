#pragma once

#include "app/run/Composer.h"

struct ComposeEnvironment;

// The composer of a run, chosen once from its settings. This is the only
// place that reads the mode, slide-show, reuse and precise options: a new
// composition mode is one new Composer file and one line here.
std::unique_ptr<Composer> MakeComposer(ComposeEnvironment &environment);
