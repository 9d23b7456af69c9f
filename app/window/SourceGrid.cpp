#include "app/window/SourceGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace {
// A twip is 1/1440 inch; the widths were laid out for 96 dots per inch.
int twipsToPixels(int twips) { return twips * 96 / 1440; }
}

SourceGrid::SourceGrid(SourceKind kind, QWidget *parent) : QTableWidget(parent), m_kind(kind)
{
    const QStringList headers = SourceTable::headers(kind);
    setColumnCount(int(headers.size()));
    setHorizontalHeaderLabels(headers);
    const QVector<int> widths = SourceTable::columnWidthsTwips(kind);
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, twipsToPixels(widths.at(c)));
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setToolTip(QStringLiteral("右键清空列表；双击删除当前行"));
}

SourceTable SourceGrid::table() const
{
    QVector<QStringList> rows;
    rows.reserve(rowCount());
    for (int r = 1; r <= rowCount(); ++r)
        rows.append(entryCells(r));
    return SourceTable(m_kind, std::move(rows));
}

QStringList SourceGrid::entryCells(int entry) const
{
    QStringList cells;
    const int row = entry - 1;
    for (int c = 0; c < columnCount(); ++c) {
        const QTableWidgetItem *it = item(row, c);
        cells.append(it ? it->text() : QString());
    }
    return cells;
}

int SourceGrid::appendEntry(const QStringList &cells)
{
    const int row = rowCount();
    insertRow(row);
    for (int c = 0; c < columnCount(); ++c)
        setItem(row, c, new QTableWidgetItem(c < cells.size() ? cells.at(c) : QString()));
    return row + 1;
}

void SourceGrid::removeEntry(int entry)
{
    if (entry >= 1 && entry <= rowCount())
        removeRow(entry - 1);
}

void SourceGrid::clearEntries()
{
    setRowCount(0);
}

int SourceGrid::currentEntry() const
{
    if (rowCount() == 0)
        return 0;
    const int row = currentRow();
    return row < 0 ? 1 : row + 1;  // a filled grid always has a current row, the first by default
}

void SourceGrid::setCurrentEntry(int entry)
{
    if (entry < 1 || entry > rowCount())
        return;
    setCurrentCell(entry - 1, 0);
    selectRow(entry - 1);
}

void SourceGrid::setTopEntry(int entry)
{
    if (entry < 1 || entry > rowCount())
        return;
    scrollTo(model()->index(entry - 1, 0), QAbstractItemView::PositionAtTop);
}

int SourceGrid::topEntry() const
{
    return rowCount() == 0 ? 0 : rowAt(0) + 1;
}

void SourceGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit clicked();
    else if (event->button() == Qt::RightButton)
        emit rightButtonReleased();
}

void SourceGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClickedEntry();
}
