#include "excel/read/CellGrid.h"

#include <algorithm>
#include <utility>

CellGrid::CellGrid(int columns) : m_columns(std::max(0, columns)) {}

const QString &CellGrid::text(int row, int column) const
{
    static const QString none;
    if (row < 1 || row > rowCount() || column < 1 || column > m_columns)
        return none;
    return m_cells.at(qsizetype(row - 1) * m_columns + column - 1);
}

void CellGrid::setText(int row, int column, const QString &text)
{
    if (QString *at = cell(row, column))
        *at = text;
}

void CellGrid::setText(int row, int column, QString &&text)
{
    if (QString *at = cell(row, column))
        *at = std::move(text);
}

QString CellGrid::takeText(int row, int column)
{
    if (row < 1 || row > rowCount() || column < 1 || column > m_columns)
        return QString();
    return std::exchange(m_cells[qsizetype(row - 1) * m_columns + column - 1], QString());
}

QString *CellGrid::cell(int row, int column)
{
    if (row < 1 || column < 1 || column > m_columns)
        return nullptr;
    const qsizetype at = qsizetype(row - 1) * m_columns + column - 1;
    if (m_cells.size() <= at)
        m_cells.resize(qsizetype(row) * m_columns);
    return &m_cells[at];
}
