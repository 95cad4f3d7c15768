#include "excel/CellText.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/WorkbookReader.h"

#include <gtest/gtest.h>

TEST(ExcelRules, PlainDecimalBecomesANumberCell)
{
    struct Case
    {
        const char *text;
        bool number;
    } cases[] = {
        {"0", true},
        {"1200", true},
        {"-12.5", true},
        {"333.3333", true},
        {"007", true},
        {"123456789012345", true},         // 15 significant digits: kept exactly by a number cell
        {"1234567890123456", false},       // 16 would lose a digit
        {"123456789012.3456", false},      // 16 again
        {"0.000000000000000000012", true}, // leading zeros are not significant
        {"", false},
        {" 12", false},
        {"12 ", false},
        {"+12", false},
        {"1.", false},
        {".5", false},
        {"1,200", false},
        {"1e5", false},
        {"-", false},
        {"12元", false},
        {"１２", false}, // full-width digits stay text
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsPlainDecimal(QString::fromUtf8(c.text)), c.number) << c.text;
}

TEST(ExcelRules, ExportedLinesAreTickedWithAnAmount)
{
    CostLine line;
    line.Included = true;
    line.AmountText = QStringLiteral("   ");
    EXPECT_FALSE(IsExportedLine(line));
    line.AmountText = QStringLiteral("\t"); // only the ASCII space is a blank here
    EXPECT_TRUE(IsExportedLine(line));
    line.AmountText = QStringLiteral(" 0 ");
    EXPECT_TRUE(IsExportedLine(line));
    line.Included = false;
    EXPECT_FALSE(IsExportedLine(line));
}

TEST(ExcelRules, TotalsText)
{
    EXPECT_EQ(TotalsText("960", "8", "120"), QStringLiteral("合计：960元/8人＝120元"));
    EXPECT_EQ(TotalsText("", "", ""), QStringLiteral("合计：元/人＝元"));
}

TEST(ExcelRules, HeadCountFromTotals)
{
    struct Case
    {
        const char *totals;
        const char *headCount;
    } cases[] = {
        {"合计：960元/8人＝120元", "8"},
        {"合计：960元/12345人＝0元", "1234"}, // at most four characters
        {"合计：960元/2.5人＝384元", "2.5"},
        {"合计：960元/人＝元", "0"},
        {"合计：元/ 1 2人", "12"}, // blanks are ignored by the number rule, but count as characters
        {"合计：960元/-3人", "-3"},
        {"合计：960元/&H10人", "16"},
        {"x12345", "1234"}, // without "元/": from the second character
        {"合计", "0"},
        {"", "0"},
        {"元/", "0"},
        {"合计：5元/6人＝元/7", "6"}, // the first "元/"
    };
    for (const Case &c : cases)
        EXPECT_EQ(HeadCountFromTotals(QString::fromUtf8(c.totals)), QString::fromUtf8(c.headCount)) << c.totals;
}

namespace {
CellGrid gridWithRows(int dataRows, int markerRow, const QString &marker)
{
    CellGrid grid;
    grid.setText(1, 1, QStringLiteral("项目"));
    for (int r = 2; r < 2 + dataRows; ++r) {
        grid.setText(r, 1, QStringLiteral("A%1").arg(r));
        grid.setText(r, 4, QString::number(r));
    }
    if (markerRow > 0)
        grid.setText(markerRow, 1, marker);
    return grid;
}
} // namespace

TEST(ExcelRules, ImportStopsAtTheTotalsRowAndFillsUpToTwenty)
{
    const ImportedQuote quote = QuoteFromGrid(gridWithRows(3, 5, QStringLiteral("合计：6元/8人＝0.75元")));
    ASSERT_EQ(quote.rows.size(), 20);
    EXPECT_EQ(quote.headCountText, QStringLiteral("8"));
    for (int i = 0; i < 20; ++i) {
        const CostLine &line = quote.rows.at(i);
        EXPECT_EQ(line.Number, QString::number(i + 1));
        EXPECT_EQ(line.Included, i < 3);
        EXPECT_EQ(line.Category, i < 3 ? QStringLiteral("A%1").arg(i + 2) : QString());
        EXPECT_EQ(line.AmountText, i < 3 ? QString::number(i + 2) : QString());
    }
}

TEST(ExcelRules, ImportTotalsRowInRowTwoGivesTwentyEmptyRows)
{
    const ImportedQuote quote = QuoteFromGrid(gridWithRows(0, 2, QStringLiteral("合计：0元/12人＝0元")));
    ASSERT_EQ(quote.rows.size(), 20);
    EXPECT_FALSE(quote.rows.first().Included);
    EXPECT_EQ(quote.headCountText, QStringLiteral("12"));
}

TEST(ExcelRules, ImportWithoutMarkerReadsFiveHundredRowsAndTheHeadCountFromRow501)
{
    CellGrid grid = gridWithRows(600, 0, QString());
    grid.setText(501, 1, QStringLiteral("x7人"));
    const ImportedQuote quote = QuoteFromGrid(grid);
    ASSERT_EQ(quote.rows.size(), 500); // no filler rows
    EXPECT_TRUE(quote.rows.last().Included);
    EXPECT_EQ(quote.rows.last().Number, QStringLiteral("500"));
    EXPECT_EQ(quote.rows.at(498).Category, QStringLiteral("A500"));
    EXPECT_EQ(quote.headCountText, QStringLiteral("7"));

    // Blank rows count as data rows too, and an empty row 501 gives 0.
    const ImportedQuote blank = QuoteFromGrid(CellGrid());
    EXPECT_EQ(blank.rows.size(), 500);
    EXPECT_TRUE(blank.rows.at(10).Included);
    EXPECT_EQ(blank.headCountText, QStringLiteral("0"));
}

TEST(ExcelRules, CategoryBeginningWithTheMarkerEndsTheData)
{
    const ImportedQuote quote = QuoteFromGrid(gridWithRows(5, 4, QStringLiteral("合计费用 元/3")));
    EXPECT_EQ(quote.rows.at(1).Category, QStringLiteral("A3"));
    EXPECT_FALSE(quote.rows.at(2).Included);
    EXPECT_EQ(quote.headCountText, QStringLiteral("3"));
}

TEST(ExcelRules, CellTexts)
{
    EXPECT_EQ(CellText::fromNumberText(u"3600"), QStringLiteral("3600"));
    EXPECT_EQ(CellText::fromNumberText(u"0.30000000000000004"), QStringLiteral("0.3"));
    EXPECT_EQ(CellText::fromNumberText(u"-0"), QStringLiteral("0"));
    EXPECT_EQ(CellText::fromNumberText(u"nan"), QStringLiteral("nan"));
    EXPECT_EQ(CellText::fromNumberText(u"1e999"), QStringLiteral("1e999"));
    EXPECT_EQ(CellText::fromNumberText(u"abc"), QStringLiteral("abc"));

    EXPECT_EQ(CellText::fromSerial(45413, false, true, false), QStringLiteral("2024-05-01"));
    EXPECT_EQ(CellText::fromSerial(45413.5, false, true, false), QStringLiteral("2024-05-01 12:00:00"));
    EXPECT_EQ(CellText::fromSerial(45413, false, true, true), QStringLiteral("2024-05-01 00:00:00"));
    EXPECT_EQ(CellText::fromSerial(0.75, false, false, true), QStringLiteral("18:00:00"));
    EXPECT_EQ(CellText::fromSerial(1, false, true, false), QStringLiteral("1900-01-01"));
    EXPECT_EQ(CellText::fromSerial(59, false, true, false), QStringLiteral("1900-02-28"));
    EXPECT_EQ(CellText::fromSerial(60, false, true, false), QStringLiteral("1900-02-29"));
    EXPECT_EQ(CellText::fromSerial(61, false, true, false), QStringLiteral("1900-03-01"));
    EXPECT_EQ(CellText::fromSerial(0, true, true, false), QStringLiteral("1904-01-01"));
    EXPECT_EQ(CellText::fromSerial(-1, false, true, false), QStringLiteral("-1"));
    EXPECT_EQ(CellText::fromSerial(1e300, false, true, false), QStringLiteral("1E+300"));

    EXPECT_EQ(CellText::fromIsoDateTime(u"2024-05-01"), QStringLiteral("2024-05-01"));
    EXPECT_EQ(CellText::fromIsoDateTime(u"2024-05-01T08:30:00.250"), QStringLiteral("2024-05-01 08:30:00"));
    EXPECT_EQ(CellText::fromIsoDateTime(u"2024-05-01T00:00:00"), QStringLiteral("2024-05-01"));
    EXPECT_EQ(CellText::fromIsoDateTime(u"2024-13-01"), QStringLiteral("2024-13-01"));
    EXPECT_EQ(CellText::fromIsoDuration(u"PT08H30M00S"), QStringLiteral("08:30:00"));
    EXPECT_EQ(CellText::fromIsoDuration(u"P1DT1H"), QStringLiteral("25:00:00"));
    EXPECT_EQ(CellText::fromIsoDuration(u"PTxS"), QStringLiteral("PTxS"));
    EXPECT_EQ(CellText::fromIsoDuration(u"PT99999999999999999999H"), QStringLiteral("PT99999999999999999999H"));

    EXPECT_EQ(CellText::decodeOoxmlEscapes(QStringLiteral("a_x000D_b")), QStringLiteral("a\rb"));
    EXPECT_EQ(CellText::decodeOoxmlEscapes(QStringLiteral("_x005F_x0041_")), QStringLiteral("_x0041_"));
    EXPECT_EQ(CellText::decodeOoxmlEscapes(QStringLiteral("_x00G1_ _x12_")), QStringLiteral("_x00G1_ _x12_"));
}
