#include "sheet/SheetHistory.h"
#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A sheet with something in it: priced rows, a head count, a per-head box typed over.
// The window's tests take every edit a planner makes through undo and redo; this is the sheet's
// own: every row deleted, from a sheet with priced rows, a head count and a per-head box typed over.
TEST(SheetHistory, EveryRowDeletedUndoesAndRedoesExactly)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", q(u"房"), q(u"如家"), q(u"单价: 200 × 2间 × 3人"), "1200", true});
    sheet.setRow(2, {"2", q(u"餐"), q(u"午餐"), q(u"单价: 30 × 3人"), "90", false});
    sheet.setText3("3");
    sheet.RefreshTotals();
    sheet.setText4(q(u"手写"));
    SheetHistory history(sheet);
    const auto snapshot = [](const CostSheet &s) { return std::tuple(s.rows(), s.Text1(), s.Text3(), s.Text4()); };
    const auto before = snapshot(sheet);
    while (sheet.rowCount() > 0)
        sheet.DeleteRow(sheet.rowCount());
    const auto after = snapshot(sheet);
    ASSERT_NE(after, before);
    EXPECT_TRUE(history.checkpoint());
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(snapshot(sheet), before);
    EXPECT_FALSE(history.undo());
    EXPECT_TRUE(history.redo());
    EXPECT_EQ(snapshot(sheet), after);
    EXPECT_FALSE(history.redo());
    // And back once more, through states the history has kept and restored before.
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(snapshot(sheet), before);
}

TEST(SheetHistory, StepsFollowCheckpointsAndMergeKeys)
{
    CostSheet sheet;
    SheetHistory history(sheet);
    EXPECT_FALSE(history.checkpoint()) << "nothing changed";
    sheet.setContent(1, q(u"a"));
    sheet.setContent(1, QString());
    EXPECT_FALSE(history.checkpoint()) << "changed and changed back is no step";

    sheet.setCurRow(1);
    for (const char *typed : {"1", "12", "120"}) { // one editing session, one step per keystroke change
        sheet.EditorChange(QString::fromLatin1(typed), Amount::fromText(QString::fromLatin1(typed)));
        EXPECT_TRUE(history.checkpoint(7));
    }
    sheet.setText3(QStringLiteral("2"));
    EXPECT_TRUE(history.checkpoint(8));
    sheet.setText3(QStringLiteral("20"));
    EXPECT_TRUE(history.checkpoint(8));
    EXPECT_EQ(history.undoCount(), 2);

    history.undo();
    EXPECT_TRUE(sheet.Text3().isEmpty());
    EXPECT_EQ(sheet.row(1).Expression, QStringLiteral("120"));
    history.undo();
    EXPECT_EQ(sheet.row(1), (CostLine{QStringLiteral("1"), {}, {}, {}, {}, false}));
    EXPECT_TRUE(sheet.Text1().isEmpty());

    // A new change after an undo drops what could have been redone; a pending change is a step
    // of its own before an undo.
    history.redo();
    sheet.AddRow();
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(sheet.rowCount(), 20);
    EXPECT_EQ(sheet.row(1).Expression, QStringLiteral("120"));
    EXPECT_EQ(history.redoCount(), 1);
    sheet.setContent(2, q(u"b"));
    history.checkpoint(8); // the same key as before the undo: still a step of its own
    EXPECT_EQ(history.redoCount(), 0);
    EXPECT_EQ(history.undoCount(), 2);
}

TEST(SheetHistory, IsBoundedInStepsAndBytes)
{
    CostSheet sheet;
    SheetHistory history(sheet);
    for (int k = 1; k <= SheetHistory::DefaultStepLimit + 5; ++k) {
        sheet.setContent(1, QString::number(k));
        history.checkpoint();
    }
    EXPECT_EQ(history.undoCount(), SheetHistory::DefaultStepLimit);
    while (history.undo()) {
    }
    EXPECT_EQ(sheet.row(1).Content, QStringLiteral("5")) << "the oldest steps went first";

    history.setLimits(3, SheetHistory::DefaultByteBudget);
    EXPECT_EQ(history.undoCount(), 0);
    EXPECT_EQ(history.redoCount(), SheetHistory::DefaultStepLimit);

    // Whole-sheet steps over a budget that holds about two of them.
    CostSheet big;
    while (big.rowCount() < 2000)
        big.AddRow();
    SheetHistory bounded(big);
    bounded.checkpoint();
    for (int k = 0; k < 4; ++k) {
        big.rewriteRows([k](int, CostLine &line) { line.Expression = QStringLiteral("单价: %1 × 3人").arg(k); });
        bounded.checkpoint();
    }
    const qint64 oneStep = bounded.estimatedBytes() / bounded.undoCount();
    EXPECT_GT(oneStep, 2000 * qint64(sizeof(CostLine)));
    bounded.setLimits(100, oneStep * 5 / 2);
    EXPECT_EQ(bounded.undoCount(), 2);
    EXPECT_LE(bounded.estimatedBytes(), oneStep * 5 / 2);
    // A change of one row shares every other chunk with the state before it, however it came.
    const std::function<void()> oneRowChanges[] = {
        [&] { big.setContent(1000, q(u"x")); },
        [&] { big.rewriteRows([](int position, CostLine &line) { line.Included = line.Included || position == 5; }); },
        [&] {
            QList<CostLine> rows = big.rows();
            rows[7].Category = q(u"车");
            big.replaceRows(rows);
        },
    };
    bounded.setLimits(100, SheetHistory::DefaultByteBudget);
    for (const auto &change : oneRowChanges) {
        const qint64 was = bounded.estimatedBytes();
        change();
        ASSERT_TRUE(bounded.checkpoint());
        EXPECT_LT(bounded.estimatedBytes() - was, oneStep / 10) << "a small step is not a whole copy";
    }
}

} // namespace
