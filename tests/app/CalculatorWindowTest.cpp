#include "WindowTests.h"

#include "app/CalculatorWindow.h"
#include "app/HelpDialog.h"
#include "app/VendorLinks.h"
#include "common/Dialogs.h"
#include "costline/ControlJsj.h"
#include "sheet/CostSheetModel.h"
#include "sheet/InPlaceEditing.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

namespace {
// The window under test with its controls, found by object name as a person would see them.
struct Window
{
    CalculatorWindow window;
    QTreeView *list = nullptr;
    QComboBox *category = nullptr;
    QLineEdit *content = nullptr;
    ControlJsj *expression = nullptr;
    QGroupBox *frame = nullptr;

    Window()
    {
        list = window.findChild<QTreeView *>(QStringLiteral("Lv1"));
        category = window.findChild<QComboBox *>(QStringLiteral("Combo1"), Qt::FindDirectChildrenOnly);
        content = window.findChild<QLineEdit *>(QStringLiteral("Text2"), Qt::FindDirectChildrenOnly);
        expression = window.findChild<ControlJsj *>(QStringLiteral("ControlJsj1"));
        frame = window.findChild<QGroupBox *>(QStringLiteral("Frame1"));
        window.move(0, 0);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    template <typename T> T *bar(const char *name) const { return frame->findChild<T *>(QString::fromLatin1(name)); }
    QLineEdit *box(const char *name) const { return bar<QLineEdit>(name); }
    CostSheet &sheet() { return window.sheet(); }
    QRect cell(int row, int column) const { return list->visualRect(list->model()->index(row - 1, column - 1)); }
    void click(int row, int column)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell(row, column).center());
    }
    // A cell's left edge in the window.
    int cellLeft(int column) const
    {
        return list->viewport()->mapTo(&window, QPoint(list->header()->sectionViewportPosition(column - 1), 0)).x();
    }
};

QWidget *focused()
{
    return QApplication::focusWidget();
}
} // namespace

void CalculatorWindowTest::init()
{
    Dialogs::setScripted(true);
}

void CalculatorWindowTest::startsAsDesigned()
{
    Window w;
    QCOMPARE(w.window.objectName(), QStringLiteral("计算器"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Orvane旅游软件系列——Brenmoor     https://www.orvane.example/"));
    QCOMPARE(w.window.size(), QSize(653, 447)); // 9795 × 6700 twips
    QCOMPARE(w.list->model()->rowCount(), 20);
    QVERIFY(!w.category->isVisible() && !w.content->isVisible() && !w.expression->isVisible());
    QCOMPARE(w.category->count(), 9);
    QCOMPARE(w.category->itemText(5), QStringLiteral("地接社"));
    for (const char *name : {"Text1", "Text3", "Text4"})
        QCOMPARE(w.box(name)->text(), QString());
    QCOMPARE(w.bar<QPushButton>("Command1")->text(), QStringLiteral("其它功能(&Q)"));
    QCOMPARE(w.bar<QPushButton>("Command2")->text(), QStringLiteral("刷新人数(&S)"));
    QCOMPARE(w.bar<QLabel>("Label3")->text(), QStringLiteral("人                ＝"));
    // The refresh button stands in the gap of Label3, above it.
    const QRect gap = w.bar<QLabel>("Label3")->geometry();
    QVERIFY(gap.contains(w.bar<QPushButton>("Command2")->geometry().topLeft()));

    const QStringList items = {"MnuLv_1Del",     "MnuLv_1Add", "MnuLv_1",       "MnuLv_2OutExcel",
                               "MnuLv_2InExcel", "MnuLv_2",    "MnuLv_SiteWeb", "MnuLv_SiteBbs",
                               "MnuLv_Sitedown", "MnuLv_3",    "MnuLv_4help",   "MnuLv_4about"};
    const QStringList captions = {
        "删除选中行",     "追加一行",       "", "导出到Excel", "从Excel导入", "", "登录Orvane网站",
        "登录Orvane论坛", "Orvane软件下载", "", "帮助",        "关于"};
    const QList<QAction *> actions = w.window.popupMenu()->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), items[i]);
        QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
        if (!captions[i].isEmpty())
            QCOMPARE(actions[i]->text(), captions[i]);
        QVERIFY(actions[i]->isEnabled() && actions[i]->isVisible() && !actions[i]->isCheckable());
    }
}

void CalculatorWindowTest::pricesALineWithMouseAndKeyboard()
{
    Window w;
    w.click(2, 2);
    QCOMPARE(w.sheet().CurRow(), 2);
    QTRY_VERIFY(w.category->isVisible());
    QCOMPARE(w.category->x(), w.cellLeft(2) + 2); // + 30 twips
    QCOMPARE(w.category->y(), w.list->viewport()->mapTo(&w.window, w.cell(2, 2).topLeft()).y());
    QCOMPARE(w.category->width(), w.list->header()->sectionSize(1) + 2);
    QTRY_COMPARE(focused(), w.category);

    typeText(w.category, QStringLiteral("保险"));
    QTest::keyClick(w.category, Qt::Key_Return);
    QCOMPARE(w.sheet().row(2).Category, QStringLiteral("保险")); // not in the list, stored as typed
    QVERIFY(!w.category->isVisible());
    QCOMPARE(w.category->count(), 9);
    QVERIFY(w.content->isVisible());
    QCOMPARE(w.content->x(), w.cellLeft(3) + 2);
    QCOMPARE(w.content->y(), w.category->y());
    QTRY_COMPARE(focused(), w.content);

    typeText(w.content, QStringLiteral("旅游意外险"));
    // Right arrow moves the caret; Left commits and opens the expression editor on the same row.
    QTest::keyClick(w.content, Qt::Key_Right);
    QVERIFY(w.content->isVisible());
    QTest::keyClick(w.content, Qt::Key_Left);
    QCOMPARE(w.sheet().row(2).Content, QStringLiteral("旅游意外险"));
    QVERIFY(!w.content->isVisible());
    QVERIFY(w.expression->isVisible());
    QTRY_COMPARE(focused(), w.expression->unitPriceField());

    typeText(w.expression->unitPriceField(), QStringLiteral("20"));
    QCOMPARE(w.sheet().row(2).Expression, QStringLiteral("单价: 20.00"));
    QVERIFY(w.sheet().row(2).Included);
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("20"));

    QTest::mouseClick(w.expression->timesButton(0), Qt::LeftButton);
    QTRY_COMPARE(focused(), w.expression->countField(1));
    QVERIFY(w.expression->isVisible()); // the focus stayed inside the editor
    typeText(w.expression->countField(1), QStringLiteral("45"));
    QTest::keyClick(w.expression->countField(1), Qt::Key_Return);
    QTRY_COMPARE(focused(), w.expression->unitField(1));
    typeText(w.expression->unitField(1), QStringLiteral("间"));

    const CostLine &line = w.sheet().row(2);
    QCOMPARE(line.Category, QStringLiteral("保险"));
    QCOMPARE(line.Expression, QStringLiteral("单价: 20.00 × 45间"));
    QCOMPARE(line.AmountText, QStringLiteral("900"));
    QVERIFY(line.Included);
    const QModelIndex amount = w.list->model()->index(1, CostSheetModel::AmountColumn);
    QCOMPARE(amount.data().toString(), QStringLiteral("900"));
    QCOMPARE(w.list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("900"));

    // Every change of the head count recomputes the per-head box.
    QTest::mouseClick(w.box("Text3"), Qt::LeftButton);
    QTRY_VERIFY(!w.expression->isVisible()); // leaving the editor hides it
    typeText(w.box("Text3"), QStringLiteral("4"));
    QCOMPARE(w.box("Text4")->text(), QStringLiteral("225"));
    typeText(w.box("Text3"), QStringLiteral("0"));
    QCOMPARE(w.box("Text4")->text(), QStringLiteral("22.5"));

    // Editing the cell again reads the expression back into the editor.
    w.click(2, 4);
    QTRY_VERIFY(w.expression->isVisible());
    QCOMPARE(w.expression->unitPriceField()->text(), QStringLiteral("20"));
    QCOMPARE(w.expression->countField(1)->text(), QStringLiteral("45"));
    QCOMPARE(w.expression->unitField(1)->currentText(), QStringLiteral("间"));
    QCOMPARE(w.sheet().row(2).AmountText, QStringLiteral("900"));
}

void CalculatorWindowTest::categoryEditorSelectsFromTheSecondCharacter()
{
    Window w;
    w.sheet().setCategory(3, QStringLiteral("地接社"));
    w.sheet().setContent(3, QStringLiteral("西安中旅"));
    w.click(3, 2);
    QTRY_VERIFY(w.category->isVisible());
    QCOMPARE(w.category->lineEdit()->selectedText(), QStringLiteral("接社"));
    // Escape is nothing special; the click elsewhere still commits.
    QTest::keyClick(w.category, Qt::Key_Escape);
    QTest::keyClick(w.category, Qt::Key_End);
    typeText(w.category, QStringLiteral("A"));
    w.click(3, 3);
    QCOMPARE(w.sheet().row(3).Category, QStringLiteral("地接社A"));
    QTRY_VERIFY(w.content->isVisible());
    QCOMPARE(w.content->selectedText(), QStringLiteral("西安中旅"));
    QVERIFY(!w.category->isVisible());
}

void CalculatorWindowTest::clickBelowTheLastRowOnlySetsCurRow()
{
    Window w;
    const QRect last = w.cell(20, 2);
    QVERIFY(last.bottom() + 10 < w.list->viewport()->height());
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 10));
    QCOMPARE(w.sheet().CurRow(), 21);
    QVERIFY(!w.category->isVisible());
    QCOMPARE(w.sheet().rowCount(), 20);
    for (int row = 1; row <= 20; ++row)
        QCOMPARE(w.sheet().row(row), (CostLine{QString::number(row), {}, {}, {}, {}, false}));
}

void CalculatorWindowTest::clicksWithoutEditor()
{
    Window w;
    w.click(4, 5); // amount column
    QCOMPARE(w.sheet().CurRow(), 4);
    w.click(6, 1); // number column
    QCOMPARE(w.sheet().CurRow(), 6);
    const QRect amount = w.cell(7, 5);
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, QPoint(amount.right() + 5, amount.center().y()));
    QCOMPARE(w.sheet().CurRow(), 7);
    QVERIFY(!w.category->isVisible() && !w.content->isVisible() && !w.expression->isVisible());
}

void CalculatorWindowTest::tickingRecomputes()
{
    Window w;
    w.sheet().setAmountText(1, QStringLiteral("100"));
    w.sheet().setAmountText(2, QStringLiteral("33.5"));
    w.box("Text3")->setText(QStringLiteral("2"));
    // Click on the tick boxes of rows 1 and 2.
    for (int row : {1, 2}) {
        QStyleOptionViewItem option;
        option.rect = w.cell(row, 1);
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect indicator = w.list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, w.list);
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, indicator.center());
        QTRY_VERIFY(w.sheet().row(row).Included);
    }
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("133.5"));
    QCOMPARE(w.box("Text4")->text(), QStringLiteral("66.75"));
    QVERIFY(!w.category->isVisible() && !w.content->isVisible());
}

void CalculatorWindowTest::expressionEditorStaysInsideTheWindow()
{
    Window w;
    w.click(1, 4);
    QTRY_VERIFY(w.expression->isVisible());
    // Reading the empty cell narrowed the editor, and its Resize put it on column 4's edge.
    const int column4 = w.cellLeft(4);
    QCOMPARE(w.expression->x(), column4);
    const int column5 = w.cellLeft(5);
    for (int added = 1;; ++added) {
        QVERIFY(added < 10);
        w.expression->timesButton(w.expression->model().LastSlot())->click();
        if (w.expression->x() != column4)
            break;
        QVERIFY(w.expression->x() + w.expression->width() <= w.window.width());
    }
    // Right edge on the amount column's left edge (within the rounding of twips to pixels).
    QVERIFY(qAbs(w.expression->x() + w.expression->width() - column5) <= 1);
    w.expression->timesButton(0)->click(); // one factor less: it fits again
    QCOMPARE(w.expression->x(), column4);
}

void CalculatorWindowTest::rightPressOpensTheMenuAtThePointer()
{
    Window w;
    QMenu *menu = w.window.popupMenu();
    const QPoint overRows = w.cell(3, 3).center();
    const QPoint belowRows(150, w.cell(20, 3).bottom() + 20);
    for (const QPoint &at : {overRows, belowRows}) {
        QTest::mousePress(w.list->viewport(), Qt::RightButton, {}, at);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), w.list->viewport()->mapToGlobal(at));
        menu->hide();
        QTest::mouseRelease(w.list->viewport(), Qt::RightButton, {}, at);
    }
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        QTest::mousePress(w.list->viewport(), button, {}, belowRows);
        QTest::mouseRelease(w.list->viewport(), button, {}, belowRows);
        QTest::qWait(20);
        QVERIFY(!menu->isVisible());
    }
}

void CalculatorWindowTest::commandButtonOpensTheMenuAtTheButton()
{
    Window w;
    QPushButton *command1 = w.bar<QPushButton>("Command1");
    QTest::mouseClick(command1, Qt::LeftButton);
    QMenu *menu = w.window.popupMenu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), w.window.mapToGlobal(w.frame->pos() + command1->pos()));
    menu->hide();
}

void CalculatorWindowTest::layoutFollowsEveryResize()
{
    Window w;
    auto check = [&](int width, int height) {
        QCOMPARE(w.list->width(), width - 8); // 120 twips
        QCOMPARE(w.list->header()->sectionSize(CostSheetModel::ContentColumn),
                 qRound(((width * 15 - 120) - 2800) / 2.0 / 15));
        QCOMPARE(w.list->header()->sectionSize(CostSheetModel::ExpressionColumn),
                 w.list->header()->sectionSize(CostSheetModel::ContentColumn));
        QCOMPARE(w.list->height(), height - 4 - 4 - 45);
        QCOMPARE(w.frame->y(), w.list->y() + w.list->height());
        QCOMPARE(w.frame->x(), qRound((width * 15 - 9135) / 2.0 / 15));
    };
    check(653, 447);
    w.window.resize(900, 600);
    check(900, 600);

    // Too narrow for the flexible columns and too low for the list: those steps are skipped,
    // the others still run, and no message is shown.
    const int contentBefore = w.list->header()->sectionSize(CostSheetModel::ContentColumn);
    const int heightBefore = w.list->height();
    w.window.resize(150, 40);
    QCOMPARE(w.list->width(), 142);
    QCOMPARE(w.list->header()->sectionSize(CostSheetModel::ContentColumn), contentBefore);
    QCOMPARE(w.list->height(), heightBefore);
    QCOMPARE(w.frame->x(), qRound((150 * 15 - 9135) / 2.0 / 15));
    QCOMPARE(w.frame->y(), w.list->y() + heightBefore);
    QVERIFY(Dialogs::takeShownMessages().isEmpty());

    w.window.resize(653, 447);
    check(653, 447);
}

void CalculatorWindowTest::rowCommands()
{
    Window w;
    QMenu *menu = w.window.popupMenu();
    auto trigger = [&](const char *name) { menu->findChild<QAction *>(QString::fromLatin1(name))->trigger(); };
    w.sheet().setAmountText(3, QStringLiteral("50"));
    w.sheet().setIncluded(3, true);
    w.sheet().setAmountText(4, QStringLiteral("7"));
    w.sheet().setIncluded(4, true);
    w.sheet().RefreshTotals();
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("57"));

    w.click(3, 5); // selects row 3 in the list
    trigger("MnuLv_1Del");
    QCOMPARE(w.sheet().rowCount(), 19);
    QCOMPARE(w.sheet().row(3).Number, QStringLiteral("4"));
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("7"));
    trigger("MnuLv_1Add");
    QCOMPARE(w.sheet().rowCount(), 20);
    QCOMPARE(w.sheet().row(20).Number, QStringLiteral("20"));

    // Nothing selected: the delete command deletes nothing.
    w.list->selectionModel()->clear();
    trigger("MnuLv_1Del");
    QCOMPARE(w.sheet().rowCount(), 20);

    // The head-count refresh of the button.
    w.sheet().setExpression(1, QStringLiteral("单价: 80.00 × 3人 × 2天"));
    w.sheet().setIncluded(1, true);
    w.box("Text3")->setText(QStringLiteral("25"));
    QTest::mouseClick(w.bar<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(w.sheet().row(1).Expression, QStringLiteral("单价: 80.00 × 25人 × 2天"));
    QCOMPARE(w.sheet().row(1).AmountText, QStringLiteral("4000"));
    // The refresh ends with the totals of every ticked row (row 3 holds 7).
    QCOMPARE(w.box("Text1")->text(), QStringLiteral("4007"));
    QCOMPARE(w.box("Text4")->text(), QStringLiteral("160.28"));
}

void CalculatorWindowTest::aboutAndHelpAreModal()
{
    Window w;
    QMenu *menu = w.window.popupMenu();
    QString seen;
    answerNextModal([&](QWidget *modal) {
        seen = modal->objectName();
        QVERIFY(static_cast<QDialog *>(modal)->isModal());
        QCOMPARE(modal->windowTitle(), QStringLiteral("关于"));
        QCOMPARE(modal->minimumSize(), modal->maximumSize());
        QVERIFY(!(modal->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const auto label = [modal](const char *name) { return modal->findChild<QLabel *>(QString::fromLatin1(name)); };
        QCOMPARE(label("Label4")->text(), QStringLiteral("Orvane旅游软件系列"));
        QCOMPARE(label("Label4")->font().pointSizeF(), 14.25);
        QCOMPARE(label("Label1")->text(), QStringLiteral("Quilvar"));
        QCOMPARE(label("Label1")->font().pointSizeF(), 26.25);
        QVERIFY(label("Label1")->font().bold());
        QCOMPARE(label("Label2")->text(), QStringLiteral("免费绿色版V2.0"));
        QVERIFY(label("Label2")->font().bold());
        QCOMPARE(label("Label7")->text(), QStringLiteral("技术支持："));
        QCOMPARE(label("Label5")->text(), QStringLiteral("https://www.orvane.example/"));
        QVERIFY(label("Label5")->font().underline());
        QCOMPARE(label("Label5")->font().families().value(0), QStringLiteral("宋体"));
        QVERIFY(!label("Image1")->pixmap().isNull());
        // The main window takes no input meanwhile.
        QVERIFY(!QApplication::activeModalWidget()->isAncestorOf(&w.window));
        QVERIFY(w.window.isActiveWindow() == false);
    });
    menu->findChild<QAction *>(QStringLiteral("MnuLv_4about"))->trigger();
    QCOMPARE(seen, QStringLiteral("FrmAbout"));

    // Help, twice: whatever was typed into its box is gone at the next opening.
    const QString shown = HelpDialog::HelpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (int opening = 0; opening < 2; ++opening) {
        seen.clear();
        answerNextModal([&](QWidget *modal) {
            seen = modal->objectName();
            QVERIFY(static_cast<QDialog *>(modal)->isModal());
            QCOMPARE(modal->windowTitle(), QStringLiteral("帮助"));
            auto *text = modal->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
            QCOMPARE(text->toPlainText(), shown);
            QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            text->setPlainText(QStringLiteral("涂改"));
            QCOMPARE(modal->findChild<QPushButton *>(QStringLiteral("Command1"))->text(), QStringLiteral("关闭"));
        });
        menu->findChild<QAction *>(QStringLiteral("MnuLv_4help"))->trigger();
        QCOMPARE(seen, QStringLiteral("FrmHelp"));
    }
}

void CalculatorWindowTest::vendorLinksGoToTheBrowser()
{
    Window w;
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QMenu *menu = w.window.popupMenu();
    for (const char *name : {"MnuLv_SiteWeb", "MnuLv_SiteBbs", "MnuLv_Sitedown"})
        menu->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    answerNextModal([](QWidget *modal) {
        QTest::mouseClick(modal->findChild<QLabel *>(QStringLiteral("Label5")), Qt::LeftButton);
    });
    menu->findChild<QAction *>(QStringLiteral("MnuLv_4about"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    const QList<QUrl> expected = {VendorLinks::HomePage(), VendorLinks::ForumPage(), VendorLinks::DownloadPage(),
                                  VendorLinks::HomePage()};
    QCOMPARE(recorder.opened, expected);
    QCOMPARE(expected[1], QUrl(QStringLiteral("https://bbs.orvane.example/")));
    QCOMPARE(expected[2], QUrl(QStringLiteral("https://www.orvane.example/download")));
    QVERIFY(Dialogs::takeShownMessages().isEmpty());
}
