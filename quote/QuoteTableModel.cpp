#include "quote/QuoteTableModel.h"

void QuoteTableModel::setQuote(const GroupQuote &quote)
{
    if (quote.breaks.size() == m_quote.breaks.size()) {
        m_quote = quote;
        if (!m_quote.breaks.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    m_quote = quote;
    endResetModel();
}

int QuoteTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_quote.breaks.size());
}

int QuoteTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QuoteTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(index.column() == GroupColumn ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const QuoteBreak &b = m_quote.breaks.at(index.row());
    switch (index.column()) {
    case GroupColumn:
        return PayingText(b);
    case CostPerHeadColumn:
        return AmountToText(b.costPerHead);
    case PriceColumn:
        return AmountToText(b.price);
    case TaxColumn:
        return AmountToText(b.tax);
    case ProfitColumn:
        return AmountToText(b.profit);
    case MarginColumn:
        return MarginText(b);
    case GroupProfitColumn:
        return AmountToText(b.groupProfit);
    case ChildColumn:
        return AmountToText(b.child);
    }
    return {};
}

QVariant QuoteTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The margin column is the profit's share of the price with tax: not named 毛利率, which as a
    // selling rule is a share of the price before tax.
    static const char16_t *const headers[ColumnCount] = {u"人数",    u"成本/人",     u"报价/人",  u"税金/人",
                                                         u"利润/人", u"利润占报价%", u"团队利润", u"儿童价"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(headers[section]) : QVariant();
}
