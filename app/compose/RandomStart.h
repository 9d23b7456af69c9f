#pragma once

#include <QString>

class RandomSource;

// A random start offset within the part of a source longer than the length
// it is cut to, rounded to milliseconds, as number text ("0.125").
QString RandomStartText(double spareSeconds, RandomSource &random);
