#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/CellText.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"

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
    const struct
    {
        bool included;
        const char *amount;
        bool exported;
    } cases[] = {{true, "   ", false},
                 {true, "\t", true} /* only the ASCII space is a blank here */,
                 {true, " 0 ", true},
                 {false, " 0 ", false}};
    for (const auto &c : cases) {
        CostLine line;
        line.Included = c.included;
        line.AmountText = QString::fromUtf8(c.amount);
        EXPECT_EQ(IsExportedLine(line), c.exported) << c.included << " '" << c.amount << "'";
    }
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

// The grid's data rows: "A<row>" in A and the row number in D from row 2, then a marker text in A.
TEST(ExcelRules, ImportReadsTheRowsUpToTheTotalsRow)
{
    const struct
    {
        const char *name;
        int dataRows, markerRow;
        const char *marker;
        int lines, ticked;
        const char *headCount;
    } cases[] = {
        {"stops at the totals row, filled up to twenty", 3, 5, "合计：6元/8人＝0.75元", 20, 3, "8"},
        {"totals row in row 2", 0, 2, "合计：0元/12人＝0元", 20, 0, "12"},
        {"a category beginning with the marker", 5, 4, "合计费用 元/3", 20, 2, "3"},
        {"no marker, rows 2 to 501: 500 rows, the head count from row 501", 499, 501, "x7人", 500, 500, "7"},
        {"no marker, text past row 501: every row, the head count from the last", 600, 0, "", 600, 600, "601"},
        {"a totals row past row 501", 600, 602, "合计：1元/9人", 600, 600, "9"},
        {"blank rows count as data rows, an empty row 501 gives 0", 0, 0, "", 500, 500, "0"},
    };
    for (const auto &c : cases) {
        CellGrid grid;
        grid.setText(1, 1, QStringLiteral("项目"));
        for (int r = 2; r < 2 + c.dataRows; ++r) {
            grid.setText(r, 1, QStringLiteral("A%1").arg(r));
            grid.setText(r, 4, QString::number(r));
        }
        if (c.markerRow > 0)
            grid.setText(c.markerRow, 1, QString::fromUtf8(c.marker));
        CostSheet sheet;
        ImportedQuote quote;
        ASSERT_TRUE(QuoteFromGrid(grid, &quote, nullptr)) << c.name;
        LoadQuote(sheet, quote);
        EXPECT_EQ(sheet.Text3(), QString::fromUtf8(c.headCount)) << c.name;
        ASSERT_EQ(sheet.rowCount(), c.lines) << c.name;
        for (int i = 0; i < c.lines; ++i) {
            const CostLine &line = sheet.row(i + 1);
            const int r = i + 2; // the grid row of the line
            const bool data = i < c.ticked && (r < 2 + c.dataRows || r == c.markerRow);
            const QString category = r == c.markerRow ? QString::fromUtf8(c.marker) : QStringLiteral("A%1").arg(r);
            EXPECT_EQ(line.Number, QString::number(i + 1)) << c.name;
            EXPECT_EQ(line.Included, i < c.ticked) << c.name << " line " << i + 1;
            EXPECT_EQ(line.Category, data ? category : QString()) << c.name << " line " << i + 1;
            EXPECT_EQ(line.AmountText, data && r != c.markerRow ? QString::number(r) : QString())
                << c.name << " line " << i + 1;
        }
    }
    // More rows than a sheet holds and no totals row to end them: refused by the limit, never cut.
    for (const bool beyond : {false, true}) {
        CellGrid grid;
        grid.setText(beyond ? 40 : CostSheet::MaxRows + 2, 2, QStringLiteral("x"));
        if (beyond)
            grid.markTextBeyond();
        ImportedQuote quote;
        WorkbookError error;
        EXPECT_FALSE(QuoteFromGrid(grid, &quote, &error));
        EXPECT_EQ(error.kind, WorkbookError::Kind::TooManyRows);
        EXPECT_TRUE(error.text.contains(QStringLiteral("32766"))) << error.text.toStdString();
        EXPECT_TRUE(quote.rows.isEmpty());
        grid.setText(CostSheet::MaxRows + 2, 1, QStringLiteral("合计：0元/3人"));
        EXPECT_TRUE(QuoteFromGrid(grid, &quote, &error)); // a totals row ends the data whatever follows
        EXPECT_EQ(quote.rows.size(), CostSheet::MaxRows);
    }
}

TEST(ExcelRules, CellTexts)
{
    const struct
    {
        QString got;
        const char *want;
    } cases[] = {
        {CellText::fromNumberText(u"3600"), "3600"},
        {CellText::fromNumberText(u"0.30000000000000004"), "0.3"},
        {CellText::fromNumberText(u"-0"), "0"},
        {CellText::fromNumberText(u"nan"), "nan"},
        {CellText::fromNumberText(u"1e999"), "1e999"},
        {CellText::fromNumberText(u"abc"), "abc"},
        {CellText::fromSerial(45413, false, true, false), "2024-05-01"},
        {CellText::fromSerial(45413.5, false, true, false), "2024-05-01 12:00:00"},
        {CellText::fromSerial(45413, false, true, true), "2024-05-01 00:00:00"},
        {CellText::fromSerial(0.75, false, false, true), "18:00:00"},
        {CellText::fromSerial(1, false, true, false), "1900-01-01"},
        {CellText::fromSerial(59, false, true, false), "1900-02-28"},
        {CellText::fromSerial(60, false, true, false), "1900-02-29"}, // the leap day Excel counts
        {CellText::fromSerial(61, false, true, false), "1900-03-01"},
        {CellText::fromSerial(0, true, true, false), "1904-01-01"},
        {CellText::fromSerial(-1, false, true, false), "-1"},
        {CellText::fromSerial(1e300, false, true, false), "1E+300"},
        {CellText::fromIsoDateTime(u"2024-05-01"), "2024-05-01"},
        {CellText::fromIsoDateTime(u"2024-05-01T08:30:00.250"), "2024-05-01 08:30:00"},
        {CellText::fromIsoDateTime(u"2024-05-01T00:00:00"), "2024-05-01"},
        {CellText::fromIsoDateTime(u"2024-13-01"), "2024-13-01"},
        {CellText::fromIsoDuration(u"PT08H30M00S"), "08:30:00"},
        {CellText::fromIsoDuration(u"P1DT1H"), "25:00:00"},
        {CellText::fromIsoDuration(u"PTxS"), "PTxS"},
        {CellText::fromIsoDuration(u"PT99999999999999999999H"), "PT99999999999999999999H"},
        {CellText::decodeOoxmlEscapes(QStringLiteral("a_x000D_b")), "a\rb"},
        {CellText::decodeOoxmlEscapes(QStringLiteral("_x005F_x0041_")), "_x0041_"},
        {CellText::decodeOoxmlEscapes(QStringLiteral("_x00G1_ _x12_")), "_x00G1_ _x12_"},
    };
    int i = 0;
    for (const auto &c : cases)
        EXPECT_EQ(c.got, QString::fromUtf8(c.want)) << "case " << i++;
}
