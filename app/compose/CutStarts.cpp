#include "app/compose/CutStarts.h"

#include "app/compose/RandomStart.h"

CutStarts DrawCutStarts(const FourSources &sources, double lengthSeconds, RandomSource &random)
{
    CutStarts starts;
    double longestSoFar = 0;
    bool cutFound = false;
    for (int k = 0; k < 4; ++k) {
        const double duration = sources[k].durationSeconds;
        const bool longer = duration > lengthSeconds;
        starts.startTexts[k] =
            longer ? RandomStartText(duration - lengthSeconds, random) : QStringLiteral("0");
        if (!cutFound && (longer || duration > longestSoFar)) {
            cutFound = longer;
            longestSoFar = duration;
            starts.soundSource = k;
        }
    }
    return starts;
}
