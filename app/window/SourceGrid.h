#pragma once

#include "app/library/SourceTable.h"

#include <QTableWidget>

// One source list as the user sees it: a grid whose rows are the only store
// of the list. Entries are numbered from 1 (the header is the grid's own).
class SourceGrid : public QTableWidget {
    Q_OBJECT
public:
    SourceGrid(SourceKind kind, QWidget *parent = nullptr);

    SourceKind kind() const { return m_kind; }
    int entryCount() const { return rowCount(); }
    // The plain view of the rows that core code reads.
    SourceTable table() const;
    QStringList entryCells(int entry) const;

    // Appends one entry; returns its number.
    int appendEntry(const QStringList &cells);
    void removeEntry(int entry);
    void clearEntries();

    // The grid's current entry, 0 when there is none.
    int currentEntry() const;
    // Makes an entry current and selects it across all columns.
    void setCurrentEntry(int entry);
    // Scrolls so that the entry is the top visible one (ignored when out of range).
    void setTopEntry(int entry);
    int topEntry() const;

signals:
    void clicked();
    void doubleClickedEntry();
    void rightButtonReleased();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    SourceKind m_kind;
};
