#include "app/RecentQuotesDialog.h"

#include "app/AppTexts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
QList<QStandardItem *> rowFor(const RecentSheet &sheet)
{
    const SheetRecord &r = sheet.record;
    QList<QStandardItem *> items{
        new QStandardItem(r.changed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
        new QStandardItem(RecordTitle(r)),
        new QStandardItem(QString::number(RecordLineCount(r))),
        new QStandardItem(r.text1),
        new QStandardItem(r.text3),
        new QStandardItem(sheet.openElsewhere ? QStringLiteral("在另一个计算器中打开") : QString())};
    for (int column : {2, 3, 4})
        items[column]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    items[1]->setToolTip(items[1]->text());
    for (QStandardItem *item : items)
        item->setEditable(false);
    return items;
}
} // namespace

RecentQuotesDialog::RecentQuotesDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmRecent"));
    setWindowTitle(QStringLiteral("最近的报价"));
    m_model = new QStandardItemModel(this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("修改时间"), QStringLiteral("团名 / 内容"),
                                        QStringLiteral("行数"), QStringLiteral("合计"), QStringLiteral("人数"),
                                        QStringLiteral("状态")});

    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("LvRecent"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    connect(m_list, &QTreeView::doubleClicked, this, &QDialog::accept);

    auto *buttons = new QDialogButtonBox(this);
    m_open = buttons->addButton(AppText::openButton(), QDialogButtonBox::AcceptRole);
    m_open->setObjectName(QStringLiteral("CmdOpen"));
    buttons->addButton(AppText::cancelButton(), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    m_state = new QLabel(QStringLiteral("正在读取保存的报价…"), this);
    layout->addWidget(m_state);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RecentQuotesDialog::followSelection);
    m_list->setEnabled(false);
    followSelection();
    resize(760, 420);
}

void RecentQuotesDialog::showSheets(const QList<RecentSheet> &sheets)
{
    m_sheets = sheets;
    for (const RecentSheet &sheet : m_sheets)
        m_model->appendRow(rowFor(sheet));
    m_state->setText(QStringLiteral("还没有保存的报价：改动过的表格会自动保存在这里。"));
    m_state->setVisible(m_sheets.isEmpty());
    m_list->setEnabled(true);
    if (!m_sheets.isEmpty())
        m_list->setCurrentIndex(m_model->index(0, 0));
    followSelection();
}

int RecentQuotesDialog::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RecentQuotesDialog::followSelection()
{
    const int row = selectedRow();
    m_open->setEnabled(row >= 0);
    const bool copy = row >= 0 && m_sheets.at(row).openElsewhere;
    m_open->setText(copy ? QStringLiteral("打开副本(&O)") : AppText::openButton());
}

const RecentSheet *RecentQuotesDialog::chosen() const
{
    const int row = selectedRow();
    return result() == QDialog::Accepted && row >= 0 ? &m_sheets.at(row) : nullptr;
}
