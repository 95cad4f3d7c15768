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
    void resolvesColumns()
    {
        const struct
        {
            float x;
            int column;
        } cases[] = {{0, NumberColumn},        {280, NumberColumn},    // the border 1|2 goes left
                     {281, CategoryColumn},    {1480, CategoryColumn}, // the border 2|3 goes to the category
                     {4000, ExpressionColumn}, {6180, AmountColumn},   // the amount column's right edge
                     {6181, NoColumn},         {-1, NoColumn}};
        for (const auto &c : cases)
            QCOMPARE(resolveColumn(c.x, startColumns()), c.column);
    }

    void resolvesRows()
    {
        // Rows 240 twips high, the first one under a 300-twip header; a border goes up.
        const struct
        {
            float y, firstTop;
            int rowCount, row;
        } cases[] = {{300, 300, 20, 1},
                     {540, 300, 20, 1},
                     {541, 300, 20, 2},
                     {300 + 19 * 240 + 1, 300, 20, 20},
                     {300 + 20 * 240, 300, 20, 20}, // the last row's bottom edge
                     {300 + 20 * 240 + 1, 300, 20, 21},
                     {299, 300, 20, 21},
                     {301, 300 - 99 * 240, 32766, 100}, // scrolled: row 100 at the top
                     {400, 300, 0, 1}};                 // an empty sheet
        for (const auto &c : cases)
            QCOMPARE(resolveRow(c.y, RowGrid{c.firstTop, 240, c.rowCount}), c.row);
    }

    void movesTheExpressionEditorSideways()
    {
        // Window 9675 twips wide inside; list at 60; column 4 at 3380, column 5 at 5280.
        const struct
        {
            float left, width, newLeft;
        } cases[] = {{3470, 1740, 60 + 3380},        // fits: back to column 4 without the inset
                     {7935, 1740, 60 + 3380},        // the right edge exactly at the window's edge fits
                     {7000, 3000, 60 + 5280 - 3000}, // passes the window's edge
                     {-10, 1740, 60 + 5280 - 1740},  // left of the window
                     {3470, 6600, 0}};               // wider than the way to column 5: at the window's left
        for (const auto &c : cases)
            QCOMPARE(expressionEditorLeft(c.left, c.width, 9675, 60, 3380, 5280), c.newLeft);
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
