#pragma once

#include "app/memory/SheetFolder.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTreeView;

// 最近的报价: the kept sheets, newest first, with when each was last changed, its tour name (or
// the host's query, or its first line's description), lines, total and head count. A sheet still
// open in another calculator says so and opens as a copy. It shows at once, saying that it reads,
// and lists the sheets when they are read.
class RecentQuotesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RecentQuotesDialog(QWidget *parent = nullptr);

    // The sheets read from the folder, newest first.
    void showSheets(const QList<RecentSheet> &sheets);

    // The sheet chosen, once the dialog was accepted.
    const RecentSheet *chosen() const;

private:
    void followSelection();
    int selectedRow() const;

    QList<RecentSheet> m_sheets;
    QStandardItemModel *m_model = nullptr;
    QTreeView *m_list = nullptr;
    QPushButton *m_open = nullptr;
    QLabel *m_state = nullptr;
};
