#pragma once

#include "app/run/Composer.h"

struct ComposeEnvironment;

// Video+Video with reuse ticked: the video of the list entry with the
// output's number fills all four quadrants, with its own sound or a chosen
// audio (cut to the video, or filled up with the video's own sound).
class SameVideoComposer : public Composer {
public:
    explicit SameVideoComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

private:
    void reportVideo(int entry, OutputReport &report) const;

    ComposeEnvironment &m_env;
};
