#pragma once

#include <QList>
#include <QString>

// The cell texts of a worksheet's top-left corner: the rows read, each of the few columns asked for.
// Numbers are in their shortest decimal form (at most 15 significant digits), dates and times in
// ISO form (2024-05-01, 2024-05-01 08:30:00, 08:30:00), logical values TRUE or FALSE, empty cells
// empty.
class CellGrid
{
public:
    // Every row holds this many cells, one after another in one list (a quote's four columns: no
    // list of its own per row).
    explicit CellGrid(int columns = 4);

    // 1-based; a cell outside what was read is empty.
    const QString &text(int row, int column) const
    {
        static const QString none;
        return inside(row, column) ? m_cells.at(index(row, column)) : none;
    }
    // A cell outside the columns is not kept. Inline, as the readers set every cell of a full sheet
    // through it.
    void setText(int row, int column, const QString &text) { setText(row, column, QString(text)); }
    void setText(int row, int column, QString &&text)
    {
        if (row < 1 || column < 1 || column > m_columns)
            return;
        const qsizetype at = index(row, column);
        if (m_cells.size() <= at)
            m_cells.resize(qsizetype(row) * m_columns);
        m_cells[at] = std::move(text);
    }
    // Room for this many cells (a reader that knows how many are coming), so that the grid is not
    // moved as it grows.
    void reserveCells(qsizetype cells) { m_cells.reserve(cells); }
    // The cell's text moved out, the cell left empty.
    QString takeText(int row, int column)
    {
        QString taken;
        if (inside(row, column))
            taken.swap(m_cells[index(row, column)]);
        return taken;
    }
    int rowCount() const { return m_columns > 0 ? int(m_cells.size() / m_columns) : 0; }
    int columnCount() const { return m_columns; }
    // Whether the reader met a cell with text below the rows it was asked for (within the columns).
    bool textBeyond() const { return m_textBeyond; }
    void markTextBeyond() { m_textBeyond = true; }

private:
    bool inside(int row, int column) const
    {
        return row >= 1 && row <= rowCount() && column >= 1 && column <= m_columns;
    }
    qsizetype index(int row, int column) const { return qsizetype(row - 1) * m_columns + column - 1; }

    int m_columns;
    // Row by row. A QList rather than a vector: it grows where it lies (realloc) instead of moving
    // into a second block, which a full sheet's grid would hold beside the first.
    QList<QString> m_cells;
    bool m_textBeyond = false;
};
