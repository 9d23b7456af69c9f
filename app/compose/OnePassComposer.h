#pragma once

#include "app/compose/UsedSourceSets.h"
#include "app/run/Composer.h"

struct ComposeEnvironment;

// Video+Video, four sources, in one run of the tool: the same draws, canvas,
// placements, length and sound as FourSourceComposer, but each source is
// read from its start offset for the common length by the final step itself,
// so no clip is cut into the workspace and the picture is encoded once.
class OnePassComposer : public Composer {
public:
    explicit OnePassComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart) override;

private:
    ComposeEnvironment &m_env;
    UsedSourceSets m_usedSets;
};
