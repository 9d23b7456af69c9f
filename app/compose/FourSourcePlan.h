#pragma once

#include "app/compose/ChosenSource.h"
#include "app/compose/CutStarts.h"
#include "app/run/OutputReport.h"

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

// Lists the four sources in their order on the canvas with their starts,
// and the length, in an output's report.
void ReportFourSources(const FourSourcePlan &plan, const CutStarts &starts, OutputReport &report);

// What a four-video output plays when its sound is a video's: the sound
// source's for the longest-video rule (firstVideoSound: LikeLongest for the
// modes that take it for the first-video rule too); empty where the tool
// picks among the videos' own sounds.
enum class FirstVideoSound { ToolsChoice, LikeLongest };
QString FourSourceVideoSound(const ComposeEnvironment &environment, const FourSourcePlan &plan,
                             const CutStarts &starts, FirstVideoSound firstVideoSound);

// What a four-video output played, after its sound step (or its plan):
// the video's by the video rules, else the audio file (a random pick's).
void ReportFourSourceSound(const ComposeEnvironment &environment, const FourSourcePlan &plan,
                           const CutStarts &starts, FirstVideoSound firstVideoSound, OutputReport &report);

// The draws of a four-video output without making it (the plan of the
// four-source, one-pass and precise composers, which draw alike).
void PlanFourSourceOutput(ComposeEnvironment &environment, UsedSourceSets &used, int outputNumber,
                          FirstVideoSound firstVideoSound, OutputReport &report);
