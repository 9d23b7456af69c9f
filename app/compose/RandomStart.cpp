#include "app/compose/RandomStart.h"

#include "app/compose/RandomSource.h"
#include "app/run/NumberText.h"

QString RandomStartText(double spareSeconds, RandomSource &random)
{
    return NumberText(RoundHalfEven(spareSeconds * random.next(), 3));
}
