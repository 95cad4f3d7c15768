#pragma once

#include "sheet/CostSheet.h"

#include <QPointer>
#include <QWidget>

class ControlJsj;
class NoticeBar;
class SheetMemory;
class CostSheetModel;
class InPlaceEditing;
class SheetEditCommands;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;
class QuoteWindow;

// 计算器, the calculator window: the cost sheet Lv1 with its in-place editors, the bottom bar
// with total, head count and per-head amount, and the popup menu MnuLv that carries every command.
class CalculatorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CalculatorWindow(QWidget *parent = nullptr);
    ~CalculatorWindow() override;

    CostSheet &sheet() { return m_sheet; }
    InPlaceEditing &editing() { return *m_editing; }
    SheetEditCommands &editCommands() { return *m_editCommands; }
    QMenu *popupMenu() const { return m_menu; }

    // Where the connection settings live (IniFilePath), fixed at start-up.
    void setIniFilePath(const QString &path) { m_iniFilePath = path; }
    // Fills the sheet from a host's query, then recomputes the totals. A failure ends the program;
    // false only where a test has replaced that ending.
    bool CzTable(const QString &query);
    // The head-count box, as start-up and the import set it.
    void setHeadCountText(const QString &text);

    // Reads the kept sheets at start, in the background: tells of damaged ones and, with
    // `tellOfCrash` (a start without a host's query), of a sheet whose calculator ended without its
    // close.
    void noteLastEnd(bool tellOfCrash);
    SheetMemory &memory() { return *m_memory; }
    NoticeBar &notice() { return *m_notice; }

    // The popup menu with its top-left corner at a point of the window.
    void showMenuAt(const QPoint &windowPoint);

    // The window's outer size at start, frame included: 9795 × 6700 twips.
    static QSize startSize();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildList();
    void buildBottomBar();
    void buildMenu();
    void applyLayout();
    void fitOuterStartSize();
    void deleteSelectedRow();
    void addRow();
    void refreshHeadCount();
    void exportToWorkbook();
    void importFromWorkbook();
    void showQuoteWindow();
    void showFirstRow();
    void openRecentQuote();
    void tell(const QStringList &problems);

    CostSheet m_sheet;
    QString m_iniFilePath;
    CostSheetModel *m_model = nullptr;
    QTreeView *m_list = nullptr;
    QComboBox *m_category = nullptr;
    QLineEdit *m_content = nullptr;
    ControlJsj *m_expression = nullptr;
    InPlaceEditing *m_editing = nullptr;
    SheetEditCommands *m_editCommands = nullptr;
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_total = nullptr;
    QLineEdit *m_headCount = nullptr;
    QLineEdit *m_perHead = nullptr;
    QPushButton *m_refresh = nullptr;
    QPushButton *m_more = nullptr;
    QMenu *m_menu = nullptr;
    QPointer<QuoteWindow> m_quoteWindow;
    SheetMemory *m_memory = nullptr;
    NoticeBar *m_notice = nullptr;
    QStringList m_told;
    QStringList m_heldBack; // what the reading at a host's launch found, told when the planner looks
    bool m_fittingStartSize = true;
    QSize m_fittedSize;
};
