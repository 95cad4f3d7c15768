#include "sheet/HeadCountRefresh.h"

#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

namespace {

void line(CostSheet &sheet, int position, const QString &expression, bool included = true)
{
    sheet.setExpression(position, expression);
    sheet.setIncluded(position, included);
}

TEST(RefreshHeadCount, WorkedExample)
{
    CostSheet sheet;
    sheet.setText3(q(u"25"));
    line(sheet, 1, q(u"单价: 80.00 × 3人 × 2天"));
    line(sheet, 2, q(u"单价: 350.00 × 12间 × 2晚"), false);
    sheet.setCategory(2, q(u"餐"));
    sheet.setContent(2, q(u"午餐"));
    RefreshHeadCount(sheet);
    EXPECT_EQ(sheet.row(1).Expression, q(u"单价: 80.00 × 25人 × 2天"));
    EXPECT_EQ(sheet.row(1).AmountText, q(u"4000"));
    // No tick, category, content or row count changes.
    EXPECT_EQ(sheet.row(2), (CostLine{"2", q(u"餐"), q(u"午餐"), q(u"单价: 350.00 × 12间 × 2晚"), "8400", false}));
    EXPECT_EQ(sheet.row(3), (CostLine{"3", {}, {}, {}, {}, false}));
    EXPECT_EQ(sheet.rowCount(), 20);
    EXPECT_EQ(sheet.Text1(), q(u"4000"));
    EXPECT_EQ(sheet.Text4(), q(u"160"));

    // Blank lines are skipped, not the end of the walk.
    CostSheet walk;
    walk.setText3(q(u"4"));
    for (int i = 1; i <= 5; ++i)
        line(walk, i, q(u"单价: 10.00 × 2人"));
    line(walk, 2, q(u"  "));
    walk.setAmountText(2, q(u"7"));
    RefreshHeadCount(walk);
    for (int i : {1, 3, 4, 5})
        EXPECT_EQ(walk.row(i), (CostLine(QString::number(i), {}, {}, q(u"单价: 10.00 × 4人"), "40", true)));
    EXPECT_EQ(walk.row(2), (CostLine("2", {}, {}, q(u"  "), "7", true)));
    // The totals are those of every ticked row, the untouched blank one included.
    EXPECT_EQ(walk.Text1(), q(u"167"));
    EXPECT_EQ(walk.Text4(), q(u"41.75"));
}

TEST(RefreshHeadCount, RewritesOneRow)
{
    const struct
    {
        const char16_t *headCount, *before, *after, *amount;
    } cases[] = {
        {u"30人", u"单价: 10.00 × 2人", u"单价: 10.00 × 30人", u"300"},
        // Only a unit word that is "人" once its spaces are gone takes the head count.
        {u"5", u"单价: 10.00 × 2 人", u"单价: 10.00 × 5 人", u"50"},
        {u"5", u"单价: 10.00 × 2人 ", u"单价: 10.00 × 5人 ", u"50"},
        {u"5", u"单价: 10.00 × 2人次 × 3位 × 4人数", u"单价: 10.00 × 2人次 × 3位 × 4人数", u"240"},
        {u"5", u"单价: 10.00 × 2\t人", u"单价: 10.00 × 2\t人", u"20"},
        // Every factor is written back, counts of 0 and 1 included; 0 leaves the amount alone.
        {u"1", u"单价: 10.00 × 3人", u"单价: 10.00 × 1人", u"10"},
        {u"5", u"单价: 10.00 × 天", u"单价: 10.00 × 0天", u"10"},
        // The amount follows the price as the text shows it.
        {u"5", u"单价: 0.33 × 3次", u"单价: 0.33 × 3次", u"0.99"},
        // Counts pass through single precision.
        {u"5", u"单价: 1.00 × 045间 × 2.50天", u"单价: 1.00 × 45间 × 2.5天", u"112.5"},
        {u"5", u"单价: 1.00 × 12345678间", u"单价: 1.00 × 1.234568E+07间", u"12345678"},
        {u"5", u"单价: 1.00 × 0.1间", u"单价: 1.00 × 0.1间", u"0.1"},
        // Without ": " the price starts at the second character; a row whose price reads 0 there
        // (free text, a product typed as text, a missing space after the colon) keeps its amount.
        {u"5", u"89", u"89", u"9"},
        {u"5", u"单价:80.00 × 3人", u"单价:80.00 × 3人", u"7"},
        {u"5", u"8", u"8", u"7"},
        {u"5", u"按实际结算", u"按实际结算", u"7"},
        {u"5", u"300*10*5", u"300*10*5", u"7"},
        {u"5", u"单价: 50.00", u"单价: 50.00", u"50"},
        {u"5", u"单价:  50.00 ", u"单价:  50.00 ", u"50"},
        // A later segment with ": " is a factor.
        {u"5", u"单价: 2.00 × 单价: 3.00", u"单价: 2.00 × 0单价: 3.00", u"2"},
        // Overflow is shown, not wrapped.
        {u"5", u"单价: 900000000000000.00 × 2间", u"单价: 900000000000000.00 × 2间", u"溢出"},
        {u"1e38", u"单价: 1.00 × 2人", u"单价: 1.00 × 1E+38人", u"溢出"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(q(c.before)));
        CostSheet sheet;
        sheet.setText3(q(c.headCount));
        line(sheet, 1, q(c.before));
        sheet.setAmountText(1, QStringLiteral("7"));
        RefreshHeadCount(sheet);
        EXPECT_EQ(sheet.row(1).Expression, q(c.after));
        EXPECT_EQ(sheet.row(1).AmountText, q(c.amount)) << q(c.before).toStdString();
    }
}

// A head count that is not a positive number would write "× 0人" into every per-person line and
// leave amounts that no longer match their expressions: refused, and nothing changes.
TEST(RefreshHeadCount, RefusesAHeadCountThatIsNoPositiveNumber)
{
    for (const char16_t *headCount : {u"", u"0", u"abc", u"-5", u"1e-50", u"1e300", u" "}) {
        CostSheet sheet;
        line(sheet, 1, q(u"单价: 60.00 × 3人"));
        sheet.setAmountText(1, q(u"180"));
        sheet.setText1(q(u"7"));
        sheet.setText3(q(headCount));
        const QList<CostLine> rows = sheet.rows();
        const QString perHead = sheet.Text4();
        QString error;
        EXPECT_FALSE(RefreshHeadCount(sheet, &error)) << q(headCount).toStdString();
        EXPECT_TRUE(error.contains(q(u"人数"))) << error.toStdString();
        EXPECT_EQ(sheet.rows(), rows);
        EXPECT_EQ(sheet.Text1(), q(u"7"));
        EXPECT_EQ(sheet.Text4(), perHead);
    }
}

} // namespace
