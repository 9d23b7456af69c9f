#include "app/compose/CommonLength.h"

#include "app/base/NumberText.h"
#include "app/run/RandomSource.h"

#include <algorithm>

std::optional<double> OutputLength(const RunSettings &settings, RandomSource &random)
{
    if (!settings.randomLength)
        return settings.lengthSeconds;
    if (!settings.randomLengthRange)
        return std::nullopt;
    const NumberRange range = *settings.randomLengthRange;
    return RoundHalfEven((range.maximum - range.minimum) * random.next(), 3) + range.minimum;
}

std::optional<double> CommonLength(const RunSettings &settings, const FourSources &sources,
                                   double longestSeconds, double shortestSeconds, RandomSource &random)
{
    switch (settings.lengthRule) {
    case LengthRule::Fixed: {
        const std::optional<double> length = OutputLength(settings, random);
        if (!length)
            return std::nullopt;
        return std::min(*length, longestSeconds);
    }
    case LengthRule::FirstVideo:
        return sources[0].durationSeconds;
    case LengthRule::ShortestVideo:
        return shortestSeconds;
    case LengthRule::LongestVideo:
        return longestSeconds;
    }
    return std::nullopt;
}
