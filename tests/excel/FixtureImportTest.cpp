#include "excel/QuoteImport.h"
#include "sheet/CostSheet.h"

#include <gtest/gtest.h>

// Workbooks written by other programs (tools/make_excel_fixtures.py): each must import as below.
namespace {

struct Expected
{
    const char *file;
    QList<QStringList> rows; // category, content, expression, amount of the data rows
    const char *headCount;
    const char *total;
};

void checkImport(const Expected &expected)
{
    CostSheet sheet;
    QString error;
    const QString path = QStringLiteral(QUILVAR_EXCEL_FIXTURES "/") + QString::fromUtf8(expected.file);
    ASSERT_TRUE(InExcel(sheet, path, &error)) << expected.file << ": " << error.toStdString();
    sheet.RefreshTotals();
    ASSERT_EQ(sheet.rowCount(), 20) << expected.file;
    for (int i = 0; i < 20; ++i) {
        const CostLine &line = sheet.row(i + 1);
        const bool data = i < expected.rows.size();
        EXPECT_EQ(line.Included, data) << expected.file << " row " << i + 1;
        EXPECT_EQ(line.Number, QString::number(i + 1));
        const QStringList got{line.Category, line.Content, line.Expression, line.AmountText};
        const QStringList want = data ? expected.rows.at(i) : QStringList(4, QString());
        EXPECT_EQ(got, want) << expected.file << " row " << i + 1 << ": " << got.join('|').toStdString();
    }
    EXPECT_EQ(sheet.Text3(), QString::fromUtf8(expected.headCount)) << expected.file;
    EXPECT_EQ(sheet.Text1(), QString::fromUtf8(expected.total)) << expected.file;
}

} // namespace

TEST(FixtureImport, OpenpyxlWorkbookWithAbsoluteTargets)
{
    checkImport({"openpyxl_quote.xlsx",
                 {{"房", "  锦江之星 ", "单价: 180.00 × 10间 × 2天", "3600"},
                  {"餐", "团餐", "单价: 25.50 × 20人", "510.5"},
                  {"车", "", "", "1,200.00"},
                  {"导游", "出发", "2024-05-01", "0.3"}},
                 "8",
                 "4111.8"});
}

TEST(FixtureImport, HandMadeXlsxOfOtherWriters)
{
    checkImport({"handmade_quote.xlsx",
                 {{"地接社 ", "行程 ", "  单价: 100 × 2天  ", "1234.5"},
                  {"", "", "", ""}, // row 3 is missing from the file
                  {"餐", "第一行\r\n第二行", "TRUE", "#DIV/0!"},
                  {"2024-05-01", "2024-05-01 12:00:00", "18:00:00", "123456789012.346"}},
                 "2.5",
                 "123456790246.846"});
}

TEST(FixtureImport, XlwtWorkbook)
{
    checkImport({"xlwt_quote.xls",
                 {{"  大交通", "机票 ", "单价: 1234.5 × 8人", "9876"},
                  {"景点门票", "故宫", "单价: 60 × 8人", "480.25"},
                  {"其它", "", "", "-12.5"},
                  {"综费", "2024-02-29", "2024-05-01 08:30:00", "1.5E-05"}},
                 "1234",
                 "10343.75"});
}

TEST(FixtureImport, OpenDocumentSpreadsheet)
{
    checkImport({"handmade_quote.ods",
                 {{"  房 ", "如家\t快捷 酒店\n二楼\n第二段", "单价: 200 × 5间", "1000"},
                  {"餐", "餐", "", "12.5"},
                  {"餐", "餐", "", "12.5"},
                  {"2024-05-01", "2024-05-01 08:30:00", "TRUE", "0.125"},
                  {"36:05:00", "0.3", "", ""}},
                 "6",
                 "1025.125"});
}
