#pragma once

#include "app/run/Composer.h"

struct ComposeEnvironment;

// Picture+Picture: four slide-show clips of random pictures, one per quadrant
// (or one for all four with ChSame), joined with a sound track into a
// two-by-two video.
class PicturePictureComposer : public Composer {
public:
    // One clip per quadrant, or one clip shown in all four (ChSame).
    enum class Clips { OnePerQuadrant, OneForAll };

    PicturePictureComposer(ComposeEnvironment &environment, Clips clips);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;

private:
    ComposeEnvironment &m_env;
    Clips m_clips;
};
