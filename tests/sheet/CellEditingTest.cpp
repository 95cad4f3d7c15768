#include "sheet/CellEditing.h"
#include "sheet/CostSheet.h"
#include "sheet/CostSheetModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace CellEditing;

// The start widths, 280, 1200, 1900, 1900, 900 twips, from the list's left edge.
static const ColumnSpans StartColumns = {{{0, 280}, {280, 1200}, {1480, 1900}, {3380, 1900}, {5280, 900}}};

class CellEditingTest : public QObject
{
    Q_OBJECT
private slots:
    void resolvesColumns()
    {
        // A border goes to the column on its left; 6180 is the amount column's right edge.
        using C = std::pair<float, int>;
        for (const auto &[x, column] :
             {C{0, NumberColumn}, C{280, NumberColumn}, C{281, CategoryColumn}, C{1480, CategoryColumn},
              C{4000, ExpressionColumn}, C{6180, AmountColumn}, C{6181, NoColumn}, C{-1, NoColumn}})
            QCOMPARE(resolveColumn(x, StartColumns), column);
    }

    void resolvesRows()
    {
        // Rows 240 twips high, the first one under a 300-twip header; a border goes up.
        // y, the first row's top, row count, the row; 5100 is the last row's bottom edge, row 100 at
        // the top is a scrolled list and 0 rows an empty sheet.
        using C = std::tuple<float, float, int, int>;
        for (const auto &[y, firstTop, rowCount, row] :
             {C{300, 300, 20, 1}, C{540, 300, 20, 1}, C{541, 300, 20, 2}, C{300 + 19 * 240 + 1, 300, 20, 20},
              C{5100, 300, 20, 20}, C{5101, 300, 20, 21}, C{299, 300, 20, 21}, C{301, 300 - 99 * 240, 32766, 100},
              C{400, 300, 0, 1}})
            QCOMPARE(resolveRow(y, RowGrid{firstTop, 240, rowCount}), row);
    }

    void movesTheExpressionEditorSideways()
    {
        // Window 9675 twips wide inside; list at 60; column 4 at 3380, column 5 at 5280.
        // Fits (at the window's edge too): back to column 4 without the inset; passes the window's
        // edge or its left: left of column 5; wider than the way to column 5: at the window's left.
        using C = std::tuple<float, float, float>;
        for (const auto &[left, width, newLeft] :
             {C{3470, 1740, 60 + 3380}, C{7935, 1740, 60 + 3380}, C{7000, 3000, 60 + 5280 - 3000},
              C{-10, 1740, 60 + 5280 - 1740}, C{3470, 6600, 0}})
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
