#include "app/window/ProgressPercent.h"

#include <QProgressBar>

#include <cmath>

void ProgressPercent::setUp(QProgressBar *bar)
{
    bar->setRange(0, 100 * kStepsPerPercent);
    bar->setValue(0);
}

void ProgressPercent::set(QProgressBar *bar, double percent)
{
    bar->setValue(int(std::nearbyint(percent * kStepsPerPercent)));
}

double ProgressPercent::of(const QProgressBar *bar)
{
    return double(bar->value()) / kStepsPerPercent;
}
