#include "sheet/CostSheetModel.h"

#include "sheet/CostSheet.h"

CostSheetModel::CostSheetModel(CostSheet &sheet, QObject *parent) : QAbstractTableModel(parent), m_sheet(sheet)
{
    // The sheet counts from 1; the model from 0.
    connect(&sheet, &CostSheet::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows(QModelIndex(), first - 1, last - 1); });
    connect(&sheet, &CostSheet::rowsInserted, this, [this] { endInsertRows(); });
    connect(&sheet, &CostSheet::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows(QModelIndex(), first - 1, last - 1); });
    connect(&sheet, &CostSheet::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(&sheet, &CostSheet::aboutToReset, this, [this] { beginResetModel(); });
    connect(&sheet, &CostSheet::reset, this, [this] { endResetModel(); });
    connect(&sheet, &CostSheet::rowsChanged, this, [this](int first, int last) {
        if (first > last || first < 1 || last > m_sheet.rowCount())
            return;
        emit dataChanged(index(first - 1, 0), index(last - 1, ColumnCount - 1));
    });
}

int CostSheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_sheet.rowCount();
}

int CostSheetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CostSheetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_sheet.rowCount() || index.column() >= ColumnCount)
        return {};
    const CostLine &line = m_sheet.row(index.row() + 1);
    if (role == Qt::CheckStateRole)
        return index.column() == NumberColumn ? QVariant(line.Included ? Qt::Checked : Qt::Unchecked) : QVariant();
    // The tick column is too narrow for the row's number: it shows as a tip.
    if (role == Qt::ToolTipRole)
        return index.column() == NumberColumn ? QVariant(line.Number) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return line.Number;
    case CategoryColumn:
        return line.Category;
    case ContentColumn:
        return line.Content;
    case ExpressionColumn:
        return line.Expression;
    case AmountColumn:
        return line.AmountText;
    }
    return {};
}

QVariant CostSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral(" ");
    case CategoryColumn:
        return QStringLiteral("项目");
    case ContentColumn:
        return QStringLiteral("内容");
    case ExpressionColumn:
        return QStringLiteral("表达式");
    case AmountColumn:
        return QStringLiteral("金额");
    }
    return {};
}

Qt::ItemFlags CostSheetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == NumberColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool CostSheetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_sheet.rowCount() ||
        index.column() != NumberColumn)
        return false;
    m_sheet.TickChanged(index.row() + 1, value.toInt() == Qt::Checked);
    return true;
}
