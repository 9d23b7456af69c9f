#pragma once

#include "app/compose/ChosenSource.h"

#include <QVector>

#include <optional>

class RandomSource;
class RunContext;
class SourceTable;
class UsedSourceSets;

// The videos drawn for one output, in draw order, with the longest and the
// shortest of their lengths.
struct DrawnSources {
    QVector<ChosenSource> sources;
    QVector<int> entries;  // their entries (1-based) in the video list
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

// The same draw, but a set that an earlier output of the run used is drawn
// again while an unused set remains; after a few tries the next unused set
// in ascending order is taken, so the draw stays quick for long lists and
// nearly used-up ones. The set taken is added to used.
std::optional<DrawnSources> DrawDistinctSources(const SourceTable &videos, int count, RandomSource &random,
                                                RunContext &context, UsedSourceSets &used);
