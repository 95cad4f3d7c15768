#include "excel/read/CellGrid.h"

#include <algorithm>
#include <utility>

QString CellGrid::text(int row, int column) const
{
    if (row < 1 || row > m_rows.size())
        return QString();
    const QStringList &cells = m_rows.at(row - 1);
    return column >= 1 && column <= cells.size() ? cells.at(column - 1) : QString();
}

const QStringList &CellGrid::row(int row) const
{
    static const QStringList none;
    return row >= 1 && row <= m_rows.size() ? m_rows.at(row - 1) : none;
}

QStringList CellGrid::takeRow(int row)
{
    return row >= 1 && row <= m_rows.size() ? std::exchange(m_rows[row - 1], QStringList()) : QStringList();
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

void CellGrid::setRow(int row, QStringList &&texts)
{
    if (row < 1)
        return;
    if (m_rows.size() < row)
        m_rows.resize(row);
    m_rows[row - 1] = std::move(texts);
}

QString *CellGrid::cell(int row, int column)
{
    if (row < 1 || column < 1)
        return nullptr;
    if (m_rows.size() < row)
        m_rows.resize(row);
    QStringList &cells = m_rows[row - 1];
    if (cells.size() < column) {
        // Room for the four columns a quote has at once, rather than one more at a time.
        cells.reserve(std::max(column, 4));
        cells.resize(column);
    }
    return &cells[column - 1];
}
