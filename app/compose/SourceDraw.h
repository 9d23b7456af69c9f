#pragma once

#include "app/compose/ChosenSource.h"

#include <QVector>

#include <optional>

class RandomSource;
class RunContext;
class SourceTable;

// The videos drawn for one output, in draw order, with the longest and the
// shortest of their lengths.
struct DrawnSources {
    QVector<ChosenSource> sources;
    double longestSeconds = 0;
    double shortestSeconds = 10000;
};

// Draws count different entries of the video list (four for a four-up
// output, the slide show's own count for a slide show). Each draw re-seeds
// and takes random x (entries left - 1), rounded, from the entries not drawn
// yet. Shows "状态：视频源随机抽取中...j/count" as it goes. Empty when the list
// holds too few entries or a drawn row's size or length is not a number.
std::optional<DrawnSources> DrawSources(const SourceTable &videos, int count, RandomSource &random,
                                        RunContext &context);
