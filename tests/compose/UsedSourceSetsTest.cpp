// Distinct outputs: the memory of the source sets a run has used.
#include "QtPrinters.h"
#include "app/compose/UsedSourceSets.h"

#include <gtest/gtest.h>

TEST(UsedSourceSets, SetsAreComparedWhateverTheirOrder)
{
    UsedSourceSets used(6, 4);
    used.add({4, 2, 6, 1});
    EXPECT_TRUE(used.contains({1, 2, 4, 6}));
    EXPECT_TRUE(used.contains({6, 4, 2, 1}));
    EXPECT_FALSE(used.contains({1, 2, 4, 5}));
    used.add({1, 2, 4, 6});
    EXPECT_EQ(used.usedCount(), 1);
}

TEST(UsedSourceSets, NextUnusedSkipsUsedSetsAndWraps)
{
    struct Case {
        int entries;
        QVector<QVector<int>> used;
        QVector<int> from;
        QVector<int> expected;
    };
    const Case cases[] = {
        {5, {}, {1, 2, 3, 4}, {1, 2, 3, 5}},
        {5, {{1, 2, 3, 5}, {1, 2, 4, 5}}, {1, 2, 3, 4}, {1, 3, 4, 5}},
        // After the last set comes the first.
        {5, {}, {2, 3, 4, 5}, {1, 2, 3, 4}},
        {5, {{1, 2, 3, 4}}, {5, 4, 3, 2}, {1, 2, 3, 5}},
        // Long lists: one step, no walk over all sets.
        {100000, {}, {99997, 99998, 99999, 100000}, {1, 2, 3, 4}},
        {100000, {{1, 2, 3, 5}}, {1, 2, 3, 4}, {1, 2, 3, 6}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.from));
        UsedSourceSets used(c.entries, 4);
        for (const QVector<int> &set : c.used)
            used.add(set);
        EXPECT_EQ(used.nextUnused(c.from), c.expected);
    }
}

TEST(UsedSourceSets, EverySetOnceThenRepeatsAllowed)
{
    // Six entries give fifteen sets of four.
    UsedSourceSets used(6, 4);
    QVector<int> set{1, 2, 3, 4};
    for (int n = 0; n < 15; ++n) {
        ASSERT_TRUE(used.unusedRemain()) << n;
        set = used.nextUnused(set);
        EXPECT_FALSE(used.contains(set));
        used.add(set);
    }
    EXPECT_EQ(used.usedCount(), 15);
    EXPECT_FALSE(used.unusedRemain());
    EXPECT_TRUE(UsedSourceSets(100000, 4).unusedRemain());
}
