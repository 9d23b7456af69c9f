#include "app/compose/RandomStart.h"

#include "app/base/NumberText.h"
#include "app/run/RandomSource.h"

QString RandomStartText(double spareSeconds, RandomSource &random)
{
    return NumberText(RoundHalfEven(spareSeconds * random.next(), 3));
}
