#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

namespace {

void tick(CostSheet &sheet, int position, const QString &amount)
{
    sheet.setAmountText(position, amount);
    sheet.TickChanged(position, true);
}

TEST(CostSheet, TotalCountsTickedRowsOnly)
{
    CostSheet sheet;
    sheet.setText3(q(u"5"));
    EXPECT_EQ(sheet.Text4(), q(u"0")) << "a head count before any total";
    sheet.TickChanged(1, true); // an empty amount
    EXPECT_EQ(sheet.Text1(), q(u"0"));
    tick(sheet, 1, q(u"100"));
    tick(sheet, 2, q(u"33.5"));
    sheet.setAmountText(3, q(u"1000"));
    EXPECT_EQ(sheet.Text1(), q(u"133.5"));
    tick(sheet, 4, q(u"1,200.00")); // the comma ends the number
    EXPECT_EQ(sheet.Text1(), q(u"134.5"));
    tick(sheet, 5, QString());
    EXPECT_EQ(sheet.Text1(), q(u"134.5"));
    sheet.TickChanged(1, false);
    EXPECT_EQ(sheet.Text1(), q(u"34.5"));

    // Overflowed lines make the total say so.
    sheet.TickChanged(2, false);
    sheet.TickChanged(4, false);
    tick(sheet, 1, q(u"900000000000000"));
    tick(sheet, 2, q(u"900000000000000"));
    sheet.setText3(q(u"2"));
    EXPECT_EQ(sheet.Text1(), q(u"溢出"));
    EXPECT_EQ(sheet.Text4(), q(u"溢出"));
    sheet.setCurRow(3);
    sheet.TickChanged(2, false);
    EXPECT_EQ(sheet.Text4(), q(u"450000000000000"));
    sheet.EditorChange(q(u"x"), Amount::overflowed());
    EXPECT_EQ(sheet.row(3).AmountText, q(u"溢出"));
    EXPECT_EQ(sheet.Text1(), q(u"溢出"));
    // A tiny head count makes the per-head value overflow rather than wrap.
    sheet.TickChanged(3, false);
    sheet.setText3(q(u"0.0001"));
    EXPECT_EQ(sheet.Text4(), q(u"溢出"));
}

TEST(CostSheet, PerHeadFollowsTheHeadCount)
{
    const struct
    {
        const char16_t *headCount;
        const char16_t *perHead;
    } cases[] = {{u"3", u"333.3333"}, {u"4", u"250"},   {u"0", u""},           {u"", u""},      {u"abc", u""},
                 {u"-2", u"-500"},    {u"2.5", u"400"}, {u"3人", u"333.3333"}, {u" 8 ", u"125"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(q(c.headCount)));
        CostSheet sheet;
        tick(sheet, 1, q(u"1000"));
        sheet.setText3(q(c.headCount));
        EXPECT_EQ(sheet.Text4(), q(c.perHead)) << q(c.headCount).toStdString();
        // Both paths, the head-count change and the totals, give the same text.
        sheet.RefreshTotals();
        EXPECT_EQ(sheet.Text4(), q(c.perHead)) << q(c.headCount).toStdString();
    }
    // A typed total is divided until the next recomputation.
    CostSheet sheet;
    tick(sheet, 1, q(u"100"));
    sheet.setText1(q(u"900"));
    EXPECT_EQ(sheet.Text4(), QString());
    sheet.setText3(q(u"3"));
    EXPECT_EQ(sheet.Text4(), q(u"300"));
    sheet.RefreshTotals();
    EXPECT_EQ(sheet.Text1(), q(u"100"));
    EXPECT_EQ(sheet.Text4(), q(u"33.3333"));
}

TEST(CostSheet, RowsComeAndGoWithinTheLimit)
{
    CostSheet sheet;
    tick(sheet, 1, q(u"100"));
    tick(sheet, 3, q(u"50"));
    sheet.setText3(q(u"2"));
    sheet.DeleteRow(3); // a ticked row: the totals follow
    EXPECT_EQ(sheet.Text4(), q(u"50"));
    ASSERT_TRUE(sheet.AddRow());
    EXPECT_EQ(sheet.row(3).Number, q(u"4"));
    EXPECT_EQ(sheet.row(19).Number, q(u"20"));
    EXPECT_EQ(sheet.row(20).Number, q(u"20"));
    // A position that names no row (nothing selected) changes nothing.
    sheet.DeleteRow(0);
    sheet.DeleteRow(21);
    EXPECT_EQ(sheet.rowCount(), 20);
    while (sheet.rowCount() < CostSheet::MaxRows)
        ASSERT_TRUE(sheet.AddRow());
    QString error;
    EXPECT_FALSE(sheet.AddRow(&error));
    EXPECT_FALSE(error.isEmpty());
    qsizetype wrong = 0; // the first line past the deleted one whose label is not its position
    for (qsizetype k = 20; k <= CostSheet::MaxRows && wrong == 0; ++k)
        wrong = sheet.row(int(k)).Number == QString::number(k) ? 0 : k;
    EXPECT_EQ(wrong, 0) << sheet.row(int(wrong)).Number.toStdString();
}

TEST(CostSheet, EditorChangeLandsInTheCurrentRowOnly)
{
    CostSheet sheet;
    sheet.EditorChange(q(u"单价: 1.00"), Amount::fromUnits(10000)); // no row clicked yet
    for (const CostLine &line : sheet.rows())
        EXPECT_FALSE(line.Included);
    EXPECT_TRUE(sheet.Text1().isEmpty());
    sheet.setCurRow(2);
    sheet.EditorChange(q(u"单价: 123.00 × 45间"), Amount::fromUnits(55350000));
    EXPECT_EQ(sheet.row(2), (CostLine{"2", {}, {}, q(u"单价: 123.00 × 45间"), "5535", true}));
    EXPECT_EQ(sheet.Text1(), q(u"5535"));
    sheet.setCurRow(21); // a row that no longer (or never) existed
    sheet.EditorChange(q(u"单价: 9.00"), Amount::fromUnits(90000));
    EXPECT_EQ(sheet.rowCount(), 20);
    EXPECT_EQ(sheet.Text1(), q(u"5535"));
}

} // namespace
