#include "excel/read/CellGrid.h"

#include <algorithm>

QString CellGrid::text(int row, int column) const
{
    if (row < 1 || row > m_rows.size())
        return QString();
    const QStringList &cells = m_rows.at(row - 1);
    return column >= 1 && column <= cells.size() ? cells.at(column - 1) : QString();
}

void CellGrid::setText(int row, int column, const QString &text)
{
    if (row < 1 || column < 1)
        return;
    while (m_rows.size() < row)
        m_rows.append(QStringList());
    QStringList &cells = m_rows[row - 1];
    if (cells.size() < column) {
        // Room for the four columns a quote has at once, rather than one more at a time.
        cells.reserve(std::max(column, 4));
        cells.resize(column);
    }
    cells[column - 1] = text;
}
