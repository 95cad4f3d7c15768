#include "sheet/CellEditing.h"
#include "app/LayoutRule.h"
#include "sheet/CostSheet.h"
#include "sheet/CostSheetModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace CellEditing;

class CellEditingTest : public QObject
{
    Q_OBJECT
private slots:
    void resolvesColumns_data();
    void resolvesColumns();
    void resolvesRows_data();
    void resolvesRows();
    void placesEditors();
    void movesTheExpressionEditorSideways_data();
    void movesTheExpressionEditorSideways();
    void selectsTheEditorsText_data();
    void selectsTheEditorsText();
    void layoutRule_data();
    void layoutRule();
    void sheetModelFollowsTheSheet();
    void tickGoesThroughTheSheet();
};

// The start widths, 280, 1200, 1900, 1900, 900 twips, from the list's left edge.
static ColumnSpans startColumns()
{
    return {{{0, 280}, {280, 1200}, {1480, 1900}, {3380, 1900}, {5280, 900}}};
}

void CellEditingTest::resolvesColumns_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("column");
    QTest::newRow("left edge of the list") << 0.f << 1;
    QTest::newRow("inside the tick column") << 100.f << 1;
    QTest::newRow("border 1|2 goes left") << 280.f << 1;
    QTest::newRow("just right of border 1|2") << 281.f << 2;
    QTest::newRow("border 2|3 goes to the category") << 1480.f << 2;
    QTest::newRow("content") << 2000.f << 3;
    QTest::newRow("expression") << 4000.f << 4;
    QTest::newRow("amount") << 6000.f << 5;
    QTest::newRow("right edge of the amount column") << 6180.f << 5;
    QTest::newRow("right of the last column") << 6181.f << 6;
    QTest::newRow("left of the list") << -1.f << 6;
}

void CellEditingTest::resolvesColumns()
{
    QFETCH(float, x);
    QFETCH(int, column);
    QCOMPARE(resolveColumn(x, startColumns()), column);
}

void CellEditingTest::resolvesRows_data()
{
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("firstTop");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("row");
    // Rows 240 twips high, the first one under a 300-twip header.
    QTest::newRow("top of row 1") << 300.f << 300.f << 20 << 1;
    QTest::newRow("middle of row 1") << 400.f << 300.f << 20 << 1;
    QTest::newRow("border 1|2 goes up") << 540.f << 300.f << 20 << 1;
    QTest::newRow("just below the border") << 541.f << 300.f << 20 << 2;
    QTest::newRow("row 20") << 300.f + 19 * 240 + 1 << 300.f << 20 << 20;
    QTest::newRow("bottom edge of the last row") << 300.f + 20 * 240 << 300.f << 20 << 20;
    QTest::newRow("below the last row") << 300.f + 20 * 240 + 1 << 300.f << 20 << 21;
    QTest::newRow("above the first row") << 299.f << 300.f << 20 << 21;
    QTest::newRow("scrolled: row 100 at the top") << 301.f << 300.f - 99 * 240 << 32766 << 100;
    QTest::newRow("empty sheet") << 400.f << 300.f << 0 << 1;
}

void CellEditingTest::resolvesRows()
{
    QFETCH(float, y);
    QFETCH(float, firstTop);
    QFETCH(int, rowCount);
    QFETCH(int, row);
    QCOMPARE(resolveRow(y, RowGrid{firstTop, 240, rowCount}), row);
}

void CellEditingTest::placesEditors()
{
    const ColumnSpans columns = startColumns();
    const RowGrid rows{300, 240, 20};
    const Placement category = editorPlacement(60, 60, columns[1], rows.top(3));
    QCOMPARE(category.left, 60.f + 280 + 30);
    QCOMPARE(category.width, 1200.f + 30);
    QCOMPARE(category.top, 60.f + 300 + 2 * 240);
    const Placement content = editorPlacement(60, 60, columns[2], rows.top(1));
    QCOMPARE(content.left, 60.f + 1480 + 30);
    QCOMPARE(content.width, 1900.f + 30);
    QCOMPARE(content.top, 360.f);
}

void CellEditingTest::movesTheExpressionEditorSideways_data()
{
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("newLeft");
    // Window 9675 twips wide inside; list at 60; column 4 at 3380, column 5 at 5280.
    QTest::newRow("fits: back to column 4 without the inset") << 3470.f << 1740.f << 60.f + 3380;
    QTest::newRow("right edge exactly at the window's edge fits") << 7935.f << 1740.f << 60.f + 3380;
    QTest::newRow("passes the window's edge") << 3470.f << 6600.f << 60.f + 5280 - 6600;
    QTest::newRow("left of the window") << -10.f << 1740.f << 60.f + 5280 - 1740;
}

void CellEditingTest::movesTheExpressionEditorSideways()
{
    QFETCH(float, left);
    QFETCH(float, width);
    QFETCH(float, newLeft);
    QCOMPARE(expressionEditorLeft(left, width, 9675, 60, 3380, 5280), newLeft);
}

void CellEditingTest::selectsTheEditorsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("categoryStart");
    QTest::addColumn<int>("categoryLength");
    QTest::newRow("地接社: 接社 selected") << QStringLiteral("地接社") << 1 << 2;
    QTest::newRow("房: caret after it, nothing selected") << QStringLiteral("房") << 1 << 0;
    QTest::newRow("empty") << QString() << 0 << 0;
}

void CellEditingTest::selectsTheEditorsText()
{
    QFETCH(QString, text);
    QFETCH(int, categoryStart);
    QFETCH(int, categoryLength);
    const Selection category = categorySelection(text);
    QCOMPARE(category.start, categoryStart);
    QCOMPARE(category.length, categoryLength);
    const Selection content = contentSelection(text);
    QCOMPARE(content.start, 0);
    QCOMPARE(content.length, int(text.size()));
}

void CellEditingTest::layoutRule_data()
{
    QTest::addColumn<float>("innerWidth");
    QTest::addColumn<float>("innerHeight");
    QTest::addColumn<bool>("listWidthSet");
    QTest::addColumn<bool>("columnsSet");
    QTest::addColumn<bool>("listHeightSet");
    QTest::newRow("start size") << 9795.f << 6700.f << true << true << true;
    QTest::newRow("list narrower than the fixed columns") << 2000.f << 6700.f << true << false << true;
    QTest::newRow("too low for the list") << 9795.f << 500.f << true << true << false;
    QTest::newRow("minimised: the columns follow the list width as it was") << 0.f << 0.f << false << true << false;
}

void CellEditingTest::layoutRule()
{
    QFETCH(float, innerWidth);
    QFETCH(float, innerHeight);
    QFETCH(bool, listWidthSet);
    QFETCH(bool, columnsSet);
    QFETCH(bool, listHeightSet);
    LayoutInput in;
    in.innerWidth = innerWidth;
    in.innerHeight = innerHeight;
    in.listWidth = 9000;
    in.listHeight = 5000;
    const LayoutResult out = MainLayoutRule(in);
    QCOMPARE(out.listWidth.has_value(), listWidthSet);
    QCOMPARE(out.contentWidth.has_value(), columnsSet);
    QCOMPARE(out.listHeight.has_value(), listHeightSet);
    const float listWidth = out.listWidth.value_or(9000);
    if (listWidthSet)
        QCOMPARE(listWidth, innerWidth - 120);
    if (columnsSet) {
        QCOMPARE(*out.contentWidth, (listWidth - 2800) / 2);
        QCOMPARE(*out.expressionWidth, *out.contentWidth);
    }
    // The later steps run whatever happened to the earlier ones.
    const float listHeight = out.listHeight.value_or(5000);
    if (listHeightSet)
        QCOMPARE(listHeight, innerHeight - 60 - 60 - 675);
    QCOMPARE(out.frameTop, 60 + listHeight);
    QCOMPARE(out.frameLeft, (innerWidth - 9135) / 2);
}

void CellEditingTest::sheetModelFollowsTheSheet()
{
    CostSheet sheet;
    CostSheetModel model(sheet);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 20);
    QCOMPARE(model.columnCount(), 5);
    const QStringList headings = {" ", "项目", "内容", "表达式", "金额"};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), headings[c]);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    sheet.setCategory(3, QStringLiteral("房"));
    sheet.setAmountText(3, QStringLiteral("100"));
    QVERIFY(changed.count() >= 2);
    QCOMPARE(model.index(2, CostSheetModel::CategoryColumn).data().toString(), QStringLiteral("房"));
    QCOMPARE(model.index(2, CostSheetModel::AmountColumn).data().toString(), QStringLiteral("100"));
    QCOMPARE(model.index(2, CostSheetModel::NumberColumn).data().toString(), QStringLiteral("3"));

    QVERIFY(sheet.AddRow());
    QCOMPARE(model.rowCount(), 21);
    sheet.DeleteRow(3);
    QCOMPARE(model.rowCount(), 20);
    QCOMPARE(model.index(2, CostSheetModel::NumberColumn).data().toString(), QStringLiteral("4"));
    sheet.replaceRows({CostLine{"1", "车", "大巴", "单价: 10.00", "10", true}});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    sheet.DeleteRow(5); // names no row
    QCOMPARE(model.rowCount(), 1);
}

void CellEditingTest::tickGoesThroughTheSheet()
{
    CostSheet sheet;
    CostSheetModel model(sheet);
    sheet.setAmountText(2, QStringLiteral("100"));
    sheet.setAmountText(4, QStringLiteral("33.5"));
    sheet.setText3(QStringLiteral("2"));
    const QModelIndex tick2 = model.index(1, CostSheetModel::NumberColumn);
    QVERIFY(model.flags(tick2) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(1, CostSheetModel::CategoryColumn)) & Qt::ItemIsUserCheckable));
    QVERIFY(model.setData(tick2, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(3, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(sheet.row(2).Included);
    QCOMPARE(sheet.Text1(), QStringLiteral("133.5"));
    QCOMPARE(sheet.Text4(), QStringLiteral("66.75"));
    QVERIFY(model.setData(tick2, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(sheet.Text1(), QStringLiteral("33.5"));
    // Texts are written by the editors, not through the view.
    QVERIFY(!model.setData(model.index(1, 1), QStringLiteral("x"), Qt::EditRole));
}

QTEST_GUILESS_MAIN(CellEditingTest)
#include "CellEditingTest.moc"
