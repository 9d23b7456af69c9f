#pragma once

#include "app/compose/UsedSourceSets.h"
#include "app/run/Composer.h"

struct ComposeEnvironment;

// Video+Video: four videos drawn at random, cut to one common length and laid
// out on a canvas computed from their sizes, with one sound track.
class FourSourceComposer : public Composer {
public:
    explicit FourSourceComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

private:
    ComposeEnvironment &m_env;
    UsedSourceSets m_usedSets;
};
