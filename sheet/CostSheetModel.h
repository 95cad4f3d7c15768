#pragma once

#include "sheet/SheetColumn.h"

#include <QAbstractTableModel>

class CostSheet;

// The cost sheet as the list shows it: one row per cost line, the tick as the check state of the
// number column. The data stays in the CostSheet; this model only follows its signals.
class CostSheetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CostSheetModel(CostSheet &sheet, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Only the tick is set through the view; the texts are written by the editors.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    CostSheet &m_sheet;
};
