#pragma once

#include "quote/GroupQuote.h"

#include <QAbstractTableModel>

// The quote window's table: one row per group size, the planner's figures in columns.
class QuoteTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        GroupColumn,
        CostPerHeadColumn,
        PriceColumn,
        TaxColumn,
        ProfitColumn,
        MarginColumn,
        GroupProfitColumn,
        ChildColumn,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setQuote(const GroupQuote &quote);
    const GroupQuote &quote() const { return m_quote; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    GroupQuote m_quote;
};
