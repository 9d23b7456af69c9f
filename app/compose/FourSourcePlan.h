#pragma once

#include "app/compose/ChosenSource.h"

#include <QSize>
#include <QString>

#include <array>
#include <optional>

struct ComposeEnvironment;
class OutputStatus;
class UsedSourceSets;

// What a four-source output is made of, drawn and computed the same way
// whichever way the output is then made (so the same seed gives the same
// output either way): the four videos in their order, the canvas, the common
// length, where each video starts, and the video whose sound the
// longest-video rule takes (the first longer than the length, cut like its
// picture, or else the longest).
struct FourSourcePlan {
    FourSources sources;
    QSize canvas;
    double lengthSeconds = 0;
    std::array<QString, 4> startTexts;
    int soundSource = 0;

    // Re-seeds, draws a set of four not used yet by this run (added to used),
    // checks the files, orders them, and draws the length and the starts, in
    // this order. Empty when the draw or the length fails or a file is gone.
    static std::optional<FourSourcePlan> make(ComposeEnvironment &environment, UsedSourceSets &used,
                                              OutputStatus &status);
};
