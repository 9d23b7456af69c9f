// The outputs of a slice, as --outputs gives them and --jobs splits them.
#include "app/run/OutputRange.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputRange, ReadsOnlyAscendingRangesFromOne)
{
    const struct {
        const char *text;
        int first;  // 0: refused
        int last;
    } cases[] = {{"3-10", 3, 10}, {" 7 ", 7, 7}, {"1 - 2", 1, 2}, {"0-3", 0, 0},          {"5-4", 0, 0},
                 {"-3", 0, 0},    {"3-", 0, 0},  {"a-b", 0, 0},   {"1-9999999999", 0, 0}, {"", 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<OutputRange> range = OutputRange::parse(QString::fromUtf8(c.text));
        ASSERT_EQ(range.has_value(), c.first != 0);
        if (range) {
            EXPECT_EQ(range->first, c.first);
            EXPECT_EQ(range->last, c.last);
        }
    }
}

TEST(OutputRange, SplitsIntoNearlyEqualSlicesInOrder)
{
    const auto texts = [](const QVector<OutputRange> &ranges) {
        QStringList list;
        for (const OutputRange &r : ranges)
            list.append(r.text());
        return list.join(',');
    };
    EXPECT_EQ(texts(OutputRange{1, 10}.split(3)), "1-4,5-7,8-10");
    EXPECT_EQ(texts(OutputRange{5, 6}.split(4)), "5,6");  // never an empty slice
    EXPECT_EQ(texts(OutputRange{1, 2000}.split(1)), "1-2000");
}

}  // namespace
