#include "quote/FlaggedLinesModel.h"

void FlaggedLinesModel::setLines(const QList<FlaggedLine> &lines)
{
    if (lines == m_lines)
        return;
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

int FlaggedLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int FlaggedLinesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FlaggedLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const bool figure = index.column() == AmountColumn || index.column() == ExpressionColumn;
    if (role == Qt::TextAlignmentRole && figure)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const FlaggedLine &line = m_lines.at(index.row());
    switch (index.column()) {
    case RowColumn:
        return line.row;
    case CategoryColumn:
        return line.category;
    case ContentColumn:
        return line.content;
    case AmountColumn:
        return AmountToText(line.amount);
    case ExpressionColumn:
        return AmountToText(line.expression);
    }
    return {};
}

QVariant FlaggedLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char16_t *const headers[ColumnCount] = {u"行", u"项目", u"内容", u"表中金额", u"按表达式"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(headers[section]) : QVariant();
}
