#pragma once

#include "app/compose/ChosenSource.h"

#include <QSize>

#include <optional>

struct ComposeEnvironment;
class OutputStatus;
class UsedSourceSets;

// The first steps of every four-video output: four videos drawn from the
// list, checked to exist, ordered by width, the canvas they need and the
// length they are all cut to.
struct FourSourcePlan {
    FourSources sources;  // in their order on the canvas
    QSize canvas;
    double lengthSeconds = 0;
};

// Reseeds the random source first, as every output's draws do. The four are
// a set that no earlier output of the run used while an unused set remains
// (the set taken is added to used). Empty when the draw or the length cannot
// be made, or a drawn file is gone (the caller then fails the output).
std::optional<FourSourcePlan> PlanFourSources(ComposeEnvironment &environment, UsedSourceSets &used,
                                              OutputStatus &status);
