#pragma once

#include "app/compose/ChosenSource.h"
#include "app/run/RunSettings.h"

#include <optional>

class RandomSource;

// The output length of the fixed length rule: TLen, or with ChRndLen a
// length drawn from TRndLen (minimum + random x (maximum - minimum), to
// milliseconds). Empty when the random range cannot be read.
std::optional<double> OutputLength(const RunSettings &settings, RandomSource &random);

// The length all drawn videos of an output are cut to, by the length rule:
// the fixed (or randomly drawn) length capped at the longest, the first
// video's (after ordering), the shortest or the longest. Empty when the
// random range cannot be read. Draws one number only for the random length.
std::optional<double> CommonLength(const RunSettings &settings, const FourSources &sources,
                                   double longestSeconds, double shortestSeconds,
                                   RandomSource &random);
