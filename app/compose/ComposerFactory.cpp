#include "app/compose/ComposerFactory.h"

#include "app/compose/FourSourceComposer.h"
#include "app/compose/MixedComposer.h"
#include "app/compose/OnePassComposer.h"
#include "app/compose/PicturePictureComposer.h"
#include "app/compose/PreciseFourSplitComposer.h"
#include "app/compose/SameVideoComposer.h"
#include "app/compose/VideoSlideShowComposer.h"
#include "app/run/ComposeEnvironment.h"

std::unique_ptr<Composer> MakeComposer(ComposeEnvironment &environment)
{
    const RunSettings &s = environment.settings;
    switch (s.composeMode) {
    case ComposeMode::VideoVideo:
        if (s.slideShow)
            return std::make_unique<VideoSlideShowComposer>(environment);
        if (s.reuse)
            return std::make_unique<SameVideoComposer>(environment);
        if (s.preciseQuad)
            return std::make_unique<PreciseFourSplitComposer>(environment);
        if (s.fourSourcePipeline == FourSourcePipeline::OnePass)
            return std::make_unique<OnePassComposer>(environment);
        return std::make_unique<FourSourceComposer>(environment);
    case ComposeMode::PicturePicture:
        return std::make_unique<PicturePictureComposer>(
            environment, s.reuse ? PicturePictureComposer::Clips::OneForAll
                                 : PicturePictureComposer::Clips::OnePerQuadrant);
    case ComposeMode::Mixed:
        break;
    }
    // Mixed, and any other value as the mixed mode.
    return std::make_unique<MixedComposer>(environment);
}
