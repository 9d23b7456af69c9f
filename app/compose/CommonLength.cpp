#include "app/compose/CommonLength.h"

#include "app/compose/RandomSource.h"
#include "app/run/NumberText.h"

#include <algorithm>

std::optional<double> CommonLength(const RunSettings &settings, const FourSources &sources,
                                   double longestSeconds, double shortestSeconds,
                                   RandomSource &random)
{
    switch (settings.lengthRule) {
    case LengthRule::Fixed: {
        double length = settings.lengthSeconds;
        if (settings.randomLength) {
            if (!settings.randomLengthRange)
                return std::nullopt;
            const NumberRange range = *settings.randomLengthRange;
            length = RoundHalfEven((range.maximum - range.minimum) * random.next(), 3) + range.minimum;
        }
        return std::min(length, longestSeconds);
    }
    case LengthRule::FirstVideo: return sources[0].durationSeconds;
    case LengthRule::ShortestVideo: return shortestSeconds;
    case LengthRule::LongestVideo: return longestSeconds;
    }
    return std::nullopt;
}
