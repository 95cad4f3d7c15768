#include "app/CalculatorWindow.h"

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/AppTexts.h"
#include "app/GapLabel.h"
#include "app/HelpDialog.h"
#include "app/LayoutRule.h"
#include "app/NoticeBar.h"
#include "app/RecentQuotesDialog.h"
#include "app/SheetEditCommands.h"
#include "app/UiFont.h"
#include "app/VendorLinks.h"
#include "app/memory/SheetMemory.h"
#include "common/Dialogs.h"
#include "common/NumberBoxMark.h"
#include "costline/ControlJsj.h"
#include "costline/Twips.h"
#include "sheet/CostSheetModel.h"
#include "sheet/HeadCountRefresh.h"
#include "sheet/InPlaceEditing.h"

#include "excel/ExcelCommands.h"
#include "excel/ExcelTexts.h"
#include "quote/QuoteWindow.h"
#include "sheet/QueryFillWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>

#include <utility>

namespace {
constexpr int ListMargin = 60;
constexpr int FrameWidth = 9135, FrameHeight = 675;
constexpr int StartWidth = 9795, StartHeight = 6700;
constexpr int BoxTop = 240, BoxHeight = 300, LabelTop = 300;
constexpr int MinListHeight = 1800;

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Follows a sheet text without moving the caret of a box whose text is already the same.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}
} // namespace

CalculatorWindow::CalculatorWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("计算器"));
    setWindowTitle(QStringLiteral("Orvane旅游软件系列——Brenmoor     https://www.orvane.example/"));
    setWindowIcon(AppIcon());
    setFont(UiFont());
    resize(startSize());

    buildList();
    buildBottomBar();
    buildMenu();
    m_notice = new NoticeBar(this);
    connect(m_notice, &NoticeBar::visibilityChanged, this, &CalculatorWindow::applyLayout);
    m_memory = new SheetMemory(m_sheet, SheetFolder::path(), this);
    connect(m_memory, &SheetMemory::problem, this, [this](const QString &text) { tell({text}); });

    // The overlay editors, hidden until a cell is clicked.
    m_category = named(new QComboBox(this), "Combo1");
    m_category->setEditable(true);
    m_category->clear();
    m_category->addItems(CostSheet::Categories());
    m_content = named(new QLineEdit(this), "Text2");
    m_expression = named(new ControlJsj(this), "ControlJsj1");
    m_editing = new InPlaceEditing(m_sheet, m_list, m_category, m_content, m_expression, this);
    m_editCommands = new SheetEditCommands(m_sheet, m_list, m_expression, {m_total, m_headCount, m_perHead}, this);

    m_editCommands->setBeforeChange([this] { m_editing->endEdit(); });
    // Small enough for a laptop beside other windows, large enough for the whole bottom bar and a
    // few rows of the list.
    setMinimumSize(TwipsToPixels(FrameWidth + 2 * ListMargin),
                   TwipsToPixels(ListMargin + MinListHeight + FrameHeight + ListMargin));
    applyLayout();
}

CalculatorWindow::~CalculatorWindow()
{
    // The in-place editing and the list refer to the sheet, a member that is gone before the
    // children are deleted: they go first, with their event filters and connections.
    delete m_quoteWindow;
    delete m_memory;
    delete m_editCommands;
    delete m_editing;
    m_list->viewport()->removeEventFilter(this);
    delete m_list;
}

void CalculatorWindow::buildList()
{
    m_list = named(new QTreeView(this), "Lv1");
    m_model = new CostSheetModel(m_sheet, this);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    // The designed widths hold in every font: Qt's default minimum follows the font's height and
    // would widen the 280-twip tick column under a tall CJK font.
    m_list->header()->setMinimumSectionSize(1);
    const int widths[] = {280, 1200, 1900, 1900, 900};
    for (int i = 0; i < ColumnCount; ++i)
        m_list->header()->resizeSection(i, TwipsToPixels(widths[i]));
    m_list->move(TwipsToPixels(ListMargin), TwipsToPixels(ListMargin));
    m_list->viewport()->installEventFilter(this);
}

void CalculatorWindow::buildBottomBar()
{
    m_frame = named(new QGroupBox(this), "Frame1");
    m_frame->resize(TwipsToPixels(FrameWidth), TwipsToPixels(FrameHeight));

    // Positions and widths as designed; a font taller than 宋体 gets the height it needs, so that no
    // text is cut.
    auto label = [this](QLabel *l, const char *name, int left, int width = 0) {
        named(l, name)->setParent(m_frame);
        const int w = width ? TwipsToPixels(width) : l->sizeHint().width();
        l->setGeometry(TwipsToPixels(left), TwipsToPixels(LabelTop), w, l->sizeHint().height());
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    };
    auto box = [this](const char *name, int left, int width) {
        auto *b = named(new QLineEdit(m_frame), name);
        b->setGeometry(TwipsToPixels(left), TwipsToPixels(BoxTop), TwipsToPixels(width),
                       qMax(TwipsToPixels(BoxHeight), b->minimumSizeHint().height()));
        return b;
    };
    auto button = [this](const char *name, const QString &text, int left) {
        auto *b = named(new QPushButton(text, m_frame), name);
        b->setGeometry(TwipsToPixels(left), TwipsToPixels(BoxTop), TwipsToPixels(1275),
                       qMax(TwipsToPixels(330), b->minimumSizeHint().height()));
        return b;
    };

    label(new QLabel(QStringLiteral("合计")), "Label1", 180);
    m_total = box("Text1", 660, 1515);
    label(new QLabel(QStringLiteral("元 /")), "Label2", 2340);
    m_headCount = box("Text3", 2880, 855);
    MarkMisreadNumbers(m_headCount);
    // 人 and ＝ at the two ends of the label whatever the font, with the refresh button between.
    label(new GapLabel(QStringLiteral("人                ＝")), "Label3", 3900, 1800);
    m_refresh = button("Command2", QStringLiteral("刷新人数(&S)"), 4140);
    m_perHead = box("Text4", 5760, 1455);
    label(new QLabel(QStringLiteral("元")), "Label4", 7320);
    m_more = button("Command1", QStringLiteral("其它功能(&Q)"), 7620);

    connect(m_total, &QLineEdit::textEdited, &m_sheet, &CostSheet::setText1);
    connect(m_headCount, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_sheet.Text3() != text)
            m_sheet.setText3(text);
    });
    connect(m_perHead, &QLineEdit::textEdited, &m_sheet, &CostSheet::setText4);
    connect(&m_sheet, &CostSheet::text1Changed, this, [this](const QString &text) { showText(m_total, text); });
    connect(&m_sheet, &CostSheet::text3Changed, this, [this](const QString &text) { showText(m_headCount, text); });
    connect(&m_sheet, &CostSheet::text4Changed, this, [this](const QString &text) { showText(m_perHead, text); });

    connect(m_refresh, &QPushButton::clicked, this, [this] { refreshHeadCount(); });
    connect(m_more, &QPushButton::clicked, this,
            [this] { showMenuAt(QPoint(m_frame->x() + m_more->x(), m_frame->y() + m_more->y())); });
}

void CalculatorWindow::buildMenu()
{
    m_menu = named(new QMenu(QStringLiteral("MnuLv"), this), "MnuLv");
    auto item = [this](const char *name, const QString &caption, auto handler) {
        QAction *action = m_menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        // A menu opened from the keyboard (Alt+Q) leaves an open editor open behind it: whatever
        // the command, the editor commits and closes first, so that nothing is written into a row
        // that the command moves or rewrites.
        connect(action, &QAction::triggered, this, [this, handler] {
            m_editing->endEdit();
            handler();
        });
    };
    auto separator = [this](const char *name) { m_menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    item("MnuLv_1Del", QStringLiteral("删除选中行"), [this] { deleteSelectedRow(); });
    item("MnuLv_1Add", QStringLiteral("追加一行"), [this] { addRow(); });
    separator("MnuLv_1");
    item("MnuLv_2OutExcel", ExcelText::exportTitle(), [this] { exportToWorkbook(); });
    item("MnuLv_2InExcel", ExcelText::importTitle(), [this] { importFromWorkbook(); });
    item("MnuLv_2Quote", QStringLiteral("报价单(&B)…"), [this] { showQuoteWindow(); });
    item("MnuLv_2Recent", QStringLiteral("最近的报价(&R)…"), [this] { openRecentQuote(); });
    separator("MnuLv_2");
    item("MnuLv_SiteWeb", QStringLiteral("登录Orvane网站"), [] { VendorLinks::open(VendorLinks::HomePage()); });
    item("MnuLv_SiteBbs", QStringLiteral("登录Orvane论坛"), [] { VendorLinks::open(VendorLinks::ForumPage()); });
    item("MnuLv_Sitedown", QStringLiteral("Orvane软件下载"), [] { VendorLinks::open(VendorLinks::DownloadPage()); });
    separator("MnuLv_3");
    item("MnuLv_4help", AppText::helpTitle(), [this] {
        HelpDialog help(this);
        help.exec();
    });
    item("MnuLv_4about", AppText::aboutTitle(), [this] {
        AboutDialog about(this);
        about.exec();
    });
}

bool CalculatorWindow::CzTable(const QString &query)
{
    m_memory->setQuery(query);
    const bool filled = RunCzTable(m_sheet, query, m_iniFilePath, this);
    showFirstRow();
    return filled;
}

void CalculatorWindow::showFirstRow()
{
    // A quote brought in whole starts at its first line, not at the blank rows after it.
    m_list->scrollToTop();
}

void CalculatorWindow::setHeadCountText(const QString &text)
{
    m_headCount->setText(text);
}

void CalculatorWindow::exportToWorkbook()
{
    OutExcel(this, m_sheet);
}

void CalculatorWindow::importFromWorkbook()
{
    if (InExcelCommand(this, m_sheet))
        showFirstRow();
}

void CalculatorWindow::showQuoteWindow()
{
    if (!m_quoteWindow) {
        m_quoteWindow = new QuoteWindow(m_sheet, m_iniFilePath, this);
        m_quoteWindow->setPerTourTexts(m_memory->quoteTexts());
        connect(m_quoteWindow, &QuoteWindow::perTourTextsChanged, this,
                [this] { m_memory->setQuoteTexts(m_quoteWindow->perTourTexts()); });
    }
    m_quoteWindow->show();
    m_quoteWindow->raise();
    m_quoteWindow->activateWindow();
}

void CalculatorWindow::noteLastEnd(bool tellOfCrash)
{
    // A host's launch is never interrupted by notes about earlier calculators; what its reading
    // found (a damaged file renamed aside is not found again) waits for the planner to open the list.
    m_memory->lookAtFolder(tellOfCrash, [this, tellOfCrash](const FolderScan &scan, int unclosed) {
        if (tellOfCrash)
            tell(scan.problems);
        else
            m_heldBack = scan.problems;
        if (unclosed > 0)
            tell({QStringLiteral("上次没有正常关闭，可以在“最近的报价”中找回。")});
    });
}

void CalculatorWindow::tell(const QStringList &problems)
{
    // Each once: a file of a later version is found again at every look into the folder.
    for (const QString &problem : problems) {
        if (!m_told.contains(problem)) {
            m_told << problem;
            m_notice->add(problem);
        }
    }
}

void CalculatorWindow::openRecentQuote()
{
    RecentQuotesDialog dialog(this);
    // The list shows at once and fills when the folder is read: a slow drive never freezes the window.
    QPointer<RecentQuotesDialog> open(&dialog);
    m_memory->lookAtFolder(false, [this, open](const FolderScan &scan, int) {
        tell(std::exchange(m_heldBack, {}) + scan.problems);
        if (open)
            open->showSheets(scan.sheets);
    });
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const SheetRecord record = dialog.chosen()->record;
    m_memory->startAnew(record.query);
    RestoreRecord(m_sheet, record);
    m_memory->setQuoteTexts(record.quoteTexts);
    if (m_quoteWindow)
        m_quoteWindow->setPerTourTexts(record.quoteTexts);
    showFirstRow();
}

void CalculatorWindow::showMenuAt(const QPoint &windowPoint)
{
    m_menu->popup(mapToGlobal(windowPoint));
}

void CalculatorWindow::deleteSelectedRow()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    // Nothing selected (every row deleted, say): nothing to delete.
    if (!selected.isEmpty())
        m_sheet.DeleteRow(selected.first().row() + 1);
}

void CalculatorWindow::refreshHeadCount()
{
    // Alt+S presses the button without taking the focus: an open editor would keep its old count.
    m_editing->endEdit();
    QString error;
    if (!RefreshHeadCount(m_sheet, &error))
        Dialogs::message(this, error, QStringLiteral("刷新人数"), Dialogs::Icon::Warning);
}

void CalculatorWindow::addRow()
{
    QString error;
    if (!m_sheet.AddRow(&error))
        Dialogs::message(this, error, OperationTitle, Dialogs::Icon::Warning);
}

void CalculatorWindow::applyLayout()
{
    // The notice bar, when shown, stands above the list, which starts below it.
    int listTop = TwipsToPixels(ListMargin);
    if (m_notice && !m_notice->isHidden()) {
        const int width = qMax(0, this->width() - 2 * listTop);
        const int height = m_notice->heightForWidth(width);
        m_notice->setGeometry(listTop, listTop / 2, width, height > 0 ? height : m_notice->sizeHint().height());
        listTop = m_notice->geometry().bottom() + 1 + listTop / 2;
    }
    m_list->move(m_list->x(), listTop);
    LayoutInput in;
    in.innerWidth = float(PixelsToTwips(width()));
    in.innerHeight = float(PixelsToTwips(height()));
    in.listTop = float(PixelsToTwips(m_list->y()));
    in.listWidth = float(PixelsToTwips(m_list->width()));
    in.listHeight = float(PixelsToTwips(m_list->height()));
    in.frameWidth = float(PixelsToTwips(m_frame->width()));
    in.frameHeight = float(PixelsToTwips(m_frame->height()));
    const LayoutResult out = MainLayoutRule(in);

    if (out.listWidth)
        m_list->resize(TwipsToPixels(*out.listWidth), m_list->height());
    if (out.contentWidth)
        m_list->header()->resizeSection(ContentColumn, TwipsToPixels(*out.contentWidth));
    if (out.expressionWidth)
        m_list->header()->resizeSection(ExpressionColumn, TwipsToPixels(*out.expressionWidth));
    if (out.listHeight)
        m_list->resize(m_list->width(), TwipsToPixels(*out.listHeight));
    m_frame->move(TwipsToPixels(out.frameLeft), TwipsToPixels(out.frameTop));
}

QSize CalculatorWindow::startSize()
{
    return {TwipsToPixels(StartWidth), TwipsToPixels(StartHeight)};
}

void CalculatorWindow::fitOuterStartSize()
{
    // The start size is the outer size, frame included. The frame is known once the window is
    // shown, and under a window manager once it has been decorated, which moves the window.
    if (!m_fittingStartSize)
        return;
    // Sized since by someone else: that size stands.
    if (m_fittedSize.isValid() && size() != m_fittedSize) {
        m_fittingStartSize = false;
        return;
    }
    const QSize frame = frameGeometry().size() - size();
    resize(startSize() - frame);
    m_fittedSize = size();
    if (frame.width() > 0 || frame.height() > 0)
        m_fittingStartSize = false;
}

void CalculatorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitOuterStartSize();
    // What the planner first sees is where the sheet starts; a host's fill is no change of theirs.
    m_memory->start();
}

void CalculatorWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    m_memory->closeNormally();
}

void CalculatorWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    fitOuterStartSize();
}

void CalculatorWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyLayout();
}

bool CalculatorWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The right button opens the menu on its press, at the pointer; other buttons do not.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            showMenuAt(m_list->viewport()->mapTo(this, mouse->position().toPoint()));
    }
    return QWidget::eventFilter(watched, event);
}
