#pragma once

#include "app/compose/ChosenSource.h"

#include <QString>

#include <array>

class RandomSource;

// Where each of four sources is cut for an output of a common length, and
// whose sound the longest-video rule takes: the first source longer than the
// length (cut like its picture), or else the longest one (the first on ties).
struct CutStarts {
    std::array<QString, 4> startTexts;  // number text; "0" for a source not longer than the length
    int soundSource = 0;
};

// Draws a random start for every source longer than the length, in order.
CutStarts DrawCutStarts(const FourSources &sources, double lengthSeconds, RandomSource &random);
