#include "app/library/CombinationCount.h"

#include <cstdint>
#include <limits>

double CombinationCount(int n, int k)
{
    double product = 1.0;
    double factorial = 1.0;
    for (int i = 0; i < k; ++i) {
        product *= double(n - i);
        factorial *= double(k - i);
    }
    constexpr double maxInt32 = double(std::numeric_limits<std::int32_t>::max());
    constexpr double minInt32 = double(std::numeric_limits<std::int32_t>::min());
    if (product > maxInt32 || product < minInt32 || factorial > maxInt32 || factorial < 1.0)
        return 999999999.0;
    const auto p = static_cast<std::int32_t>(product);
    const auto q = static_cast<std::int32_t>(factorial);
    return double(p / q);
}
