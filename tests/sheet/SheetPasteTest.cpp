#include "sheet/SheetPaste.h"
#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

namespace {

QList<RowTexts> rows(int n)
{
    QList<RowTexts> out;
    for (int k = 1; k <= n; ++k)
        out.append({q(u"房"), "c" + QString::number(k), q(u"单价: %1 × 2间").arg(k), QString::number(k)});
    return out;
}

// The rule by which the fill, the paste and the import write rows, through the paste.
TEST(WriteRows, LandFromThePositionDownKeepNumbersTickAppendThenTotals)
{
    const struct
    {
        int first, count;
        int rowCount; // 0: refused, the sheet unchanged
    } cases[] = {
        {1, 3, 20},
        {19, 4, 22}, // rows 19, 20 overwritten, 21, 22 appended
        {0, 2, 22},  // no row selected: after the last row
        {25, 1, 21}, // a position past the end: appended
        {20, 1, 20},
        {20, CostSheet::MaxRows - 19, CostSheet::MaxRows}, // exactly to the last row
        {0, 0, 0},                                         // nothing to paste
        {1, 0, 0},
        {20, CostSheet::MaxRows - 18, 0}, // one row too many
        {0, CostSheet::MaxRows - 19, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.first) + " + " + testing::PrintToString(c.count));
        CostSheet sheet;
        sheet.setText3(QStringLiteral("2"));
        sheet.setRow(5, {QStringLiteral("5"), q(u"餐"), q(u"keep"), QString(), QStringLiteral("7"), false});
        const QList<CostLine> before = sheet.rows();
        QString error;
        const bool written = PasteRows(sheet, c.first, rows(c.count), &error);
        EXPECT_EQ(written, c.rowCount != 0) << c.first << " " << c.count;
        EXPECT_EQ(error.isEmpty(), written);
        if (!written) {
            EXPECT_EQ(sheet.rows(), before);
            EXPECT_TRUE(sheet.Text1().isEmpty()) << "no totals either";
            continue;
        }
        EXPECT_EQ(sheet.rowCount(), c.rowCount) << c.first;
        const int first = c.first >= 1 && c.first <= 20 ? c.first : 21;
        for (int k = 0; k < std::min(c.count, 30); ++k) {
            const CostLine &line = sheet.row(first + k);
            EXPECT_EQ(line.Number, QString::number(first + k)) << "overwritten rows keep, new rows take their number";
            EXPECT_EQ(line.Content, QStringLiteral("c%1").arg(k + 1));
            EXPECT_EQ(line.Expression, QStringLiteral("单价: %1 × 2间").arg(k + 1)) << "not recomputed";
            EXPECT_TRUE(line.Included);
        }
        if (first > 5 || first + c.count <= 5) {
            EXPECT_EQ(sheet.row(5).Content, q(u"keep"));
        }
        // Row k's amount is k, and row 5's 7 is not ticked.
        EXPECT_EQ(sheet.Text1(), QString::number(qint64(c.count) * (c.count + 1) / 2)) << c.first;
        EXPECT_EQ(sheet.Text4(), PerHeadText(Amount::fromText(sheet.Text1()), QStringLiteral("2")));
    }
    // The texts land exactly as they are.
    CostSheet sheet;
    const RowTexts odd{q(u" 房 "), q(u"a\nb"), q(u"not an expression"), q(u"1,200.00")};
    ASSERT_TRUE(sheet.writeRows(2, {odd}));
    EXPECT_EQ(static_cast<const RowTexts &>(sheet.row(2)), odd);
    EXPECT_EQ(sheet.Text1(), QStringLiteral("1")); // the total reads the amount as every total does
}

} // namespace
