#pragma once

#include "quote/GroupCosts.h"

#include <QAbstractTableModel>

// The quote window's list of the lines whose amount on the sheet is not what their expression
// gives: the quote prices them from the expression, and the planner should know.
class FlaggedLinesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        RowColumn,
        CategoryColumn,
        ContentColumn,
        AmountColumn,
        ExpressionColumn,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setLines(const QList<FlaggedLine> &lines);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<FlaggedLine> m_lines;
};
