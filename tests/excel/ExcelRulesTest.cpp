#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/CellText.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

TEST(ExcelRules, PlainDecimalAmountsBecomeNumberCellsOnTickedLinesWithAnAmount)
{
    // 15 significant digits are kept exactly by a number cell, 16 would lose one; leading zeros are
    // not significant; full-width digits stay text.
    for (const char *number : {"0", "1200", "-12.5", "333.3333", "007", "123456789012345", "0.000000000000000000012"})
        EXPECT_TRUE(IsPlainDecimal(QString::fromUtf8(number))) << number;
    for (const char *text : {"1234567890123456", "123456789012.3456", "", " 12", "12 ", "+12", "1.", ".5", "1,200",
                             "1e5", "-", "12元", "１２"})
        EXPECT_FALSE(IsPlainDecimal(QString::fromUtf8(text))) << text;

    // Only the ASCII space is a blank amount here.
    const std::tuple<bool, const char *, bool> lines[] = {
        {true, "   ", false}, {true, "\t", true}, {true, " 0 ", true}, {false, " 0 ", false}};
    for (const auto &[included, amount, exported] : lines) {
        CostLine line;
        line.Included = included;
        line.AmountText = QString::fromUtf8(amount);
        EXPECT_EQ(IsExportedLine(line), exported) << included << " '" << amount << "'";
    }
}

// At most four characters after "元/" (blanks are ignored by the number rule, but count as characters),
// the first "元/"; without one, from the second character.
TEST(ExcelRules, HeadCountFromTotals)
{
    for (const char *c : {"合计：960元/8人＝120元|8", "合计：960元/12345人＝0元|1234", "合计：960元/2.5人＝384元|2.5",
                          "合计：960元/人＝元|0", "合计：元/ 1 2人|12", "合计：960元/-3人|-3", "合计：960元/&H10人|16",
                          "x12345|1234", "合计|0", "|0", "元/|0", "合计：5元/6人＝元/7|6"}) {
        const QStringList totalsAndCount = QString::fromUtf8(c).split(u'|');
        EXPECT_EQ(HeadCountFromTotals(totalsAndCount.first()), totalsAndCount.last()) << c;
    }
}

// The grid's data rows: "A<row>" in A and the row number in D from row 2, then a marker text in A.
TEST(ExcelRules, ImportReadsTheRowsUpToTheTotalsRow)
{
    const std::tuple<const char *, int, int, const char *, int, int, const char *> cases[] = {
        {"stops at the totals row, filled up to twenty", 3, 5, "合计：6元/8人＝0.75元", 20, 3, "8"},
        {"totals row in row 2", 0, 2, "合计：0元/12人＝0元", 20, 0, "12"},
        {"a category beginning with the marker", 5, 4, "合计费用 元/3", 20, 2, "3"},
        {"no marker, rows 2 to 501: 500 rows, the head count from row 501", 499, 501, "x7人", 500, 500, "7"},
        {"no marker, text past row 501: every row, the head count from the last", 600, 0, "", 600, 600, "601"},
        {"a totals row past row 501", 600, 602, "合计：1元/9人", 600, 600, "9"},
        {"blank rows count as data rows, an empty row 501 gives 0", 0, 0, "", 500, 500, "0"},
    };
    for (const auto &[name, dataRows, markerRow, marker, lines, ticked, headCount] : cases) {
        SCOPED_TRACE(testing::PrintToString(name));
        CellGrid grid;
        grid.setText(1, 1, QStringLiteral("项目"));
        for (int r = 2; r < 2 + dataRows; ++r) {
            grid.setText(r, 1, QStringLiteral("A%1").arg(r));
            grid.setText(r, 4, QString::number(r));
        }
        if (markerRow > 0)
            grid.setText(markerRow, 1, QString::fromUtf8(marker));
        CostSheet sheet;
        ImportedQuote quote;
        ASSERT_TRUE(QuoteFromGrid(grid, &quote, nullptr)) << name;
        LoadQuote(sheet, quote);
        EXPECT_EQ(sheet.Text3(), QString::fromUtf8(headCount)) << name;
        ASSERT_EQ(sheet.rowCount(), lines) << name;
        for (int i = 0; i < lines; ++i) {
            const CostLine &line = sheet.row(i + 1);
            const int r = i + 2; // the grid row of the line
            const bool data = i < ticked && (r < 2 + dataRows || r == markerRow);
            const QString category = r == markerRow ? QString::fromUtf8(marker) : QStringLiteral("A%1").arg(r);
            EXPECT_EQ(line.Number, QString::number(i + 1)) << name;
            EXPECT_EQ(line.Included, i < ticked) << name << " line " << i + 1;
            EXPECT_EQ(line.Category, data ? category : QString()) << name << " line " << i + 1;
            EXPECT_EQ(line.AmountText, data && r != markerRow ? QString::number(r) : QString())
                << name << " line " << i + 1;
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

// Each cell value as text; serial 60 is the leap day Excel counts in 1900.
TEST(ExcelRules, CellTexts)
{
    const std::pair<QString (*)(QStringView), QStringList> readers[] = {
        {[](QStringView text) { return CellText::fromNumberText(text.toString()); },
         {"3600|3600", "0.30000000000000004|0.3", "-0|0", "nan|nan", "1e999|1e999", "abc|abc", "108.5|108.5",
          "100.50|100.5", "007|7", "-0.0|0", "0.0001|0.0001", "0.00001|1E-05", "999999999999999|999999999999999",
          "1000000000000000|1E+15", "12345678901234.56|12345678901234.6", "0.1234567890123456|0.123456789012346",
          "-.5|-0.5", "1.|1"}},
        {CellText::fromIsoDateTime,
         {"2024-05-01|2024-05-01", "2024-05-01T08:30:00.250|2024-05-01 08:30:00", "2024-05-01T00:00:00|2024-05-01",
          "2024-13-01|2024-13-01"}},
        {CellText::fromIsoDuration,
         {"PT08H30M00S|08:30:00", "P1DT1H|25:00:00", "PTxS|PTxS", "PT99999999999999999999H|PT99999999999999999999H"}},
        {[](QStringView text) { return CellText::decodeOoxmlEscapes(text.toString()); },
         {"a_x000D_b|a\rb", "_x005F_x0041_|_x0041_", "_x00G1_ _x12_|_x00G1_ _x12_"}}};
    for (const auto &[read, cases] : readers)
        for (const QString &c : cases)
            EXPECT_EQ(read(c.section(u'|', 0, 0)), c.section(u'|', 1)) << c.toStdString();
    EXPECT_EQ(CellText::fromSerial(45413, false, true, false), "2024-05-01");
    EXPECT_EQ(CellText::fromSerial(45413.5, false, true, false), "2024-05-01 12:00:00");
    EXPECT_EQ(CellText::fromSerial(45413, false, true, true), "2024-05-01 00:00:00");
    EXPECT_EQ(CellText::fromSerial(0.75, false, false, true), "18:00:00");
    EXPECT_EQ(CellText::fromSerial(1, false, true, false), "1900-01-01");
    EXPECT_EQ(CellText::fromSerial(59, false, true, false), "1900-02-28");
    EXPECT_EQ(CellText::fromSerial(60, false, true, false), "1900-02-29");
    EXPECT_EQ(CellText::fromSerial(61, false, true, false), "1900-03-01");
    EXPECT_EQ(CellText::fromSerial(0, true, true, false), "1904-01-01");
    EXPECT_EQ(CellText::fromSerial(-1, false, true, false), "-1");
    EXPECT_EQ(CellText::fromSerial(1e300, false, true, false), "1E+300");
}
