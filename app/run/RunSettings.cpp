#include "app/run/RunSettings.h"

#include "app/base/NumberText.h"

#include <QStringList>

namespace {

std::optional<NumberRange> rangeOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() < 2)
        return std::nullopt;
    return NumberRange{LeadingNumber(parts.at(0)), LeadingNumber(parts.at(1))};
}

int wholeNumberOf(const QString &text)
{
    const double value = LeadingNumber(text);
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return int(value);  // the fields hold whole numbers; a fraction is cut off
}

}  // namespace

void RunSettings::readNumbers()
{
    outputCount = wholeNumberOf(maxText);
    lengthSeconds = LeadingNumber(lengthText);
    randomLengthRange = rangeOf(randomLengthRangeText);
    videoDrawCount = wholeNumberOf(videoDrawText);
    slideSeconds = LeadingNumber(slideSecondsText);
    pictureRange = rangeOf(pictureRangeText);
}

double RunSettings::fixedAudioSeconds() const
{
    return LeadingNumber(fixedAudioLengthText);
}
