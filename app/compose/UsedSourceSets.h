#pragma once

#include <QSet>
#include <QVector>

// The sets of list entries that earlier outputs of one run were made of, so
// that a draw can avoid repeating a set while an unused one remains. Sets
// are compared as sets: the order of their entries does not matter.
class UsedSourceSets {
public:
    // Sets of setSize entries out of entries 1 to entryCount.
    UsedSourceSets(int entryCount, int setSize);

    bool contains(const QVector<int> &entries) const;
    void add(const QVector<int> &entries);
    int usedCount() const { return int(m_used.size()); }
    // True while some set of setSize entries has not been used yet.
    bool unusedRemain() const;
    // The next unused set after the given one, in ascending order of sets
    // (after the last set comes the first). It visits at most one set more
    // than have been used, whatever the number of possible sets. Needs
    // unusedRemain(); the result lists its entries in ascending order.
    QVector<int> nextUnused(const QVector<int> &entries) const;

private:
    static QVector<int> ascending(QVector<int> entries);
    // The set after this one (ascending entries), or the first set after the last.
    QVector<int> following(QVector<int> set) const;

    int m_entryCount;
    int m_setSize;
    double m_possibleSets;
    QSet<QVector<int>> m_used;
};
