#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The cell texts of a worksheet's top-left corner. Numbers are in their shortest decimal form (at
// most 15 significant digits), dates and times in ISO form (2024-05-01, 2024-05-01 08:30:00,
// 08:30:00), logical values TRUE or FALSE, empty cells empty.
class CellGrid
{
public:
    // 1-based; a cell outside what was read is empty.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    void setText(int row, int column, QString &&text);
    // The whole of a row at once, its texts from column 1 on (for readers that have them a row at a time).
    void setRow(int row, QStringList &&texts);
    int rowCount() const { return int(m_rows.size()); }
    // The texts of a row, from column 1 to its last cell set (none outside what was read); taken,
    // the row is left empty.
    const QStringList &row(int row) const;
    QStringList takeRow(int row);
    // Whether the reader met a cell with text below the rows it was asked for (within the columns).
    bool textBeyond() const { return m_textBeyond; }
    void markTextBeyond() { m_textBeyond = true; }

private:
    QString *cell(int row, int column);

    QList<QStringList> m_rows;
    bool m_textBeyond = false;
};
