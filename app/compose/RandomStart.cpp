#include "app/compose/RandomStart.h"

#include "app/run/RandomSource.h"
#include "app/base/NumberText.h"

QString RandomStartText(double spareSeconds, RandomSource &random)
{
    return NumberText(RoundHalfEven(spareSeconds * random.next(), 3));
}
