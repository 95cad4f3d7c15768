#include "sheet/SheetPaste.h"
#include "sheet/CostSheet.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

namespace {

QList<RowTexts> rows(int n)
{
    QList<RowTexts> out;
    for (int k = 1; k <= n; ++k)
        out.append(
            {q(u"房"), QStringLiteral("c%1").arg(k), QStringLiteral("单价: %1 × 2间").arg(k), QString::number(k)});
    return out;
}

// The rule by which the fill, the paste and the import write rows, through the paste.
TEST(WriteRows, LandFromThePositionDownKeepNumbersTickAppendThenTotals)
{
    const struct
    {
        int first, count;
        int rowCount; // 0: refused, the sheet unchanged
        const char *total;
    } cases[] = {
        {1, 3, 20, "6"},   // 1 + 2 + 3
        {19, 4, 22, "10"}, // rows 19, 20 overwritten, 21, 22 appended
        {0, 2, 22, "3"},   // no row selected: after the last row
        {25, 1, 21, "1"},  // a position past the end: appended
        {20, 1, 20, "1"},
        {20, CostSheet::MaxRows - 19, CostSheet::MaxRows, nullptr}, // exactly to the last row
        {0, 0, 0, nullptr},                                         // nothing to paste
        {1, 0, 0, nullptr},
        {20, CostSheet::MaxRows - 18, 0, nullptr}, // one row too many
        {0, CostSheet::MaxRows - 19, 0, nullptr},
    };
    for (const auto &c : cases) {
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
        if (first > 5 || first + c.count <= 5)
            EXPECT_EQ(sheet.row(5).Content, q(u"keep"));
        if (c.total)
            EXPECT_EQ(sheet.Text1(), QString::fromLatin1(c.total)) << c.first;
        EXPECT_EQ(sheet.Text4(), PerHeadText(Amount::fromText(sheet.Text1()), QStringLiteral("2")));
    }
}

TEST(WriteRows, TextsLandExactly)
{
    CostSheet sheet;
    const RowTexts odd{q(u" 房 "), q(u"a\nb"), q(u"not an expression"), q(u"1,200.00")};
    ASSERT_TRUE(sheet.writeRows(2, {odd}));
    EXPECT_EQ(static_cast<const RowTexts &>(sheet.row(2)), odd);
    EXPECT_EQ(sheet.Text1(), QStringLiteral("1")); // the total reads the amount as every total does
}

} // namespace
