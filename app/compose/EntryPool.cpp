#include "app/compose/EntryPool.h"

#include "app/run/RandomSource.h"

#include <algorithm>

EntryPool::EntryPool(int entryCount) : m_entryCount(std::max(entryCount, 0))
{
    refill();
}

void EntryPool::refill()
{
    m_unused.clear();
    for (int entry = 1; entry <= m_entryCount; ++entry) {
        if (!m_unusable.contains(entry))
            m_unused.append(entry);
    }
}

int EntryPool::draw(RandomSource &random)
{
    if (m_unused.isEmpty())
        refill();
    if (m_unused.isEmpty())
        return 0;
    random.reseed();
    // The integer part of random x count gives every entry the same odds; the
    // clamp guards a source that returns 1.
    const int index = std::clamp(int(random.next() * double(m_unused.size())), 0, int(m_unused.size()) - 1);
    return m_unused.takeAt(index);
}

void EntryPool::markUnusable(int entry)
{
    m_unusable.insert(entry);
    m_unused.removeOne(entry);
}
