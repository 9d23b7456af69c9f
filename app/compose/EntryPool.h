#pragma once

#include <QSet>
#include <QVector>

class RandomSource;

// Draws entries (1-based) of a source list for one output with equal odds and
// without replacement: once every usable entry has been drawn the pool is
// filled again from the whole list, so an entry repeats only when no unused
// one remains. An entry found unusable (a picture that cannot be read, a row
// without a size) is never drawn again.
class EntryPool {
public:
    explicit EntryPool(int entryCount);

    // Re-seeds, then draws; 0 when no usable entry is left.
    int draw(RandomSource &random);
    void markUnusable(int entry);
    int usableCount() const { return m_entryCount - int(m_unusable.size()); }

private:
    void refill();

    int m_entryCount = 0;
    QVector<int> m_unused;
    QSet<int> m_unusable;
};
