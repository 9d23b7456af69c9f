#include "app/window/ProgressPercent.h"

#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

// The share of outputs started, to the hundredth of a percent: the start of
// output n of 3 reads 33.33, 66.67, 100.
TEST(ProgressPercentTest, ShowsHundredthsOfAPercent)
{
    QProgressBar bar;
    ProgressPercent::setUp(&bar);
    const std::pair<double, double> cases[] = {
        {1 * 100.0 / 3, 33.33}, {2 * 100.0 / 3, 66.67}, {100, 100}, {0, 0}, {1 * 100.0 / 7, 14.29}};
    for (const auto &[percent, shown] : cases) {
        ProgressPercent::set(&bar, percent);
        EXPECT_DOUBLE_EQ(ProgressPercent::of(&bar), shown) << percent;
    }
}

}  // namespace
