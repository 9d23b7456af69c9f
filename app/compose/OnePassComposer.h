#pragma once

#include "app/compose/ChosenSource.h"
#include "app/compose/UsedSourceSets.h"
#include "app/library/MediaProber.h"
#include "app/run/Composer.h"

#include <QHash>
#include <optional>

struct ComposeEnvironment;

// Video+Video, four sources, in one run of the tool: the same draws, canvas,
// placements, length and sound as FourSourceComposer, but each source is
// read from its start offset for the common length by the final step itself,
// so no clip is cut into the workspace and the picture is encoded once.
class OnePassComposer : public Composer {
public:
    explicit OnePassComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

private:
    // The rate all four share, when each keeps one and the prober tells.
    std::optional<ConstantFrameRate> commonFrameRate(const FourSources &sources);

    ComposeEnvironment &m_env;
    QHash<QString, std::optional<ConstantFrameRate>> m_frameRates;  // by path, for the run
    UsedSourceSets m_usedSets;
};
