#include "sheet/CellEditing.h"
#include "sheet/CostSheet.h"
#include "sheet/CostSheetModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace CellEditing;

// The start widths, 280, 1200, 1900, 1900, 900 twips, from the list's left edge.
static ColumnSpans startColumns()
{
    return {{{0, 280}, {280, 1200}, {1480, 1900}, {3380, 1900}, {5280, 900}}};
}

class CellEditingTest : public QObject
{
    Q_OBJECT
private slots:
    void resolvesColumns_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<int>("column");
        QTest::newRow("left edge of the list") << 0.f << int(NumberColumn);
        QTest::newRow("border 1|2 goes left") << 280.f << int(NumberColumn);
        QTest::newRow("just right of border 1|2") << 281.f << int(CategoryColumn);
        QTest::newRow("border 2|3 goes to the category") << 1480.f << int(CategoryColumn);
        QTest::newRow("expression") << 4000.f << int(ExpressionColumn);
        QTest::newRow("right edge of the amount column") << 6180.f << int(AmountColumn);
        QTest::newRow("right of the last column") << 6181.f << int(NoColumn);
        QTest::newRow("left of the list") << -1.f << int(NoColumn);
    }

    void resolvesColumns()
    {
        QFETCH(float, x);
        QFETCH(int, column);
        QCOMPARE(resolveColumn(x, startColumns()), column);
    }

    void resolvesRows_data()
    {
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("firstTop");
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("row");
        // Rows 240 twips high, the first one under a 300-twip header.
        QTest::newRow("top of row 1") << 300.f << 300.f << 20 << 1;
        QTest::newRow("border 1|2 goes up") << 540.f << 300.f << 20 << 1;
        QTest::newRow("just below the border") << 541.f << 300.f << 20 << 2;
        QTest::newRow("row 20") << 300.f + 19 * 240 + 1 << 300.f << 20 << 20;
        QTest::newRow("bottom edge of the last row") << 300.f + 20 * 240 << 300.f << 20 << 20;
        QTest::newRow("below the last row") << 300.f + 20 * 240 + 1 << 300.f << 20 << 21;
        QTest::newRow("above the first row") << 299.f << 300.f << 20 << 21;
        QTest::newRow("scrolled: row 100 at the top") << 301.f << 300.f - 99 * 240 << 32766 << 100;
        QTest::newRow("empty sheet") << 400.f << 300.f << 0 << 1;
    }

    void resolvesRows()
    {
        QFETCH(float, y);
        QFETCH(float, firstTop);
        QFETCH(int, rowCount);
        QFETCH(int, row);
        QCOMPARE(resolveRow(y, RowGrid{firstTop, 240, rowCount}), row);
    }

    void movesTheExpressionEditorSideways_data()
    {
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("newLeft");
        // Window 9675 twips wide inside; list at 60; column 4 at 3380, column 5 at 5280.
        QTest::newRow("fits: back to column 4 without the inset") << 3470.f << 1740.f << 60.f + 3380;
        QTest::newRow("right edge exactly at the window's edge fits") << 7935.f << 1740.f << 60.f + 3380;
        QTest::newRow("passes the window's edge") << 7000.f << 3000.f << 60.f + 5280 - 3000;
        QTest::newRow("left of the window") << -10.f << 1740.f << 60.f + 5280 - 1740;
        QTest::newRow("wider than the way to column 5: at the window's left edge") << 3470.f << 6600.f << 0.f;
    }

    void movesTheExpressionEditorSideways()
    {
        QFETCH(float, left);
        QFETCH(float, width);
        QFETCH(float, newLeft);
        QCOMPARE(expressionEditorLeft(left, width, 9675, 60, 3380, 5280), newLeft);
    }

    void sheetModelFollowsTheSheet()
    {
        // The model tester checks every signal the model sends while the sheet changes under it.
        CostSheet sheet;
        CostSheetModel model(sheet);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.headerData(ExpressionColumn, Qt::Horizontal).toString(), QStringLiteral("表达式"));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        sheet.setCategory(3, QStringLiteral("房"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(2, CategoryColumn).data().toString(), QStringLiteral("房"));
        QVERIFY(sheet.AddRow());
        sheet.DeleteRow(3);
        QCOMPARE(model.index(2, NumberColumn).data().toString(), QStringLiteral("4"));
        sheet.replaceRows({CostLine{"1", "车", "大巴", "单价: 10.00", "10", true}});
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    }
};

QTEST_GUILESS_MAIN(CellEditingTest)
#include "CellEditingTest.moc"
