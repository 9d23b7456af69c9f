#include "app/compose/UsedSourceSets.h"

#include <algorithm>
#include <cmath>

namespace {
// The number of sets of k out of n, in floating point: a long list gives
// more sets than an integer holds (it only has to beat the used count).
double possibleSets(int n, int k)
{
    if (k < 0 || n < k)
        return 0;
    double sets = 1;
    for (int i = 1; i <= k; ++i)
        sets = sets * double(n - k + i) / double(i);
    return std::round(sets);
}
}  // namespace

UsedSourceSets::UsedSourceSets(int entryCount, int setSize)
    : m_entryCount(entryCount),
      m_setSize(setSize),
      m_possibleSets(possibleSets(entryCount, setSize))
{
}

QVector<int> UsedSourceSets::ascending(QVector<int> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool UsedSourceSets::contains(const QVector<int> &entries) const
{
    return m_used.contains(ascending(entries));
}

void UsedSourceSets::add(const QVector<int> &entries)
{
    m_used.insert(ascending(entries));
}

bool UsedSourceSets::unusedRemain() const
{
    return double(m_used.size()) < m_possibleSets;
}

QVector<int> UsedSourceSets::following(QVector<int> set) const
{
    // The rightmost entry that can still grow grows by one, and the entries
    // after it follow it closely.
    const int k = m_setSize;
    for (int i = k - 1; i >= 0; --i) {
        if (set[i] < m_entryCount - (k - 1 - i)) {
            ++set[i];
            for (int j = i + 1; j < k; ++j)
                set[j] = set[j - 1] + 1;
            return set;
        }
    }
    for (int i = 0; i < k; ++i)
        set[i] = i + 1;
    return set;
}

QVector<int> UsedSourceSets::nextUnused(const QVector<int> &entries) const
{
    QVector<int> set = ascending(entries);
    // Bounded by the used sets: among any used + 1 sets one is unused.
    for (qsizetype step = 0; step <= m_used.size(); ++step) {
        set = following(set);
        if (!m_used.contains(set))
            return set;
    }
    return set;
}
