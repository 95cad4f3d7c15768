#include "excel/QuoteImport.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

// Workbooks written by other programs (tools/make_excel_fixtures.py, tools/make_xls_fixtures.py): each
// reads as the writing program stored it, and imports with its amounts and head count.
namespace {

// One line a row, the cells of columns A to D between bars, as gtest can show the difference.
std::string show(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows)
        text += row.join(QLatin1Char('|')) + QLatin1Char('\n');
    return text.toStdString();
}

const QStringList Header{"项目", "内容", "表达式", "金额"};

// The quote of the .xls sources: 金额 as 单价 × 数量 from columns beyond D, a text formula, a logical
// formula, dates, an empty text formula, logical constants and a formula totals line.
QList<QStringList> formulaQuote(const char *totals, bool logical = true)
{
    QList<QStringList> rows{Header,
                            {"房", "锦江之星 标准间", "单价: 180 × 10间", "1800"},
                            {"餐", "团餐", "单价: 25.5 × 20人", "510"},
                            {"门票", "团体票", logical ? "FALSE" : "单价: 60 × 8人", "480"},
                            {"日期", "2024-05-01", "2024-02-29 12:00:00", ""}};
    if (logical)
        rows.append({"逻辑", "TRUE", "FALSE", "TRUE"});
    rows.append({QString::fromUtf8(totals), "", "", ""});
    return rows;
}

QList<QStringList> errorCells()
{
    QList<QStringList> rows{Header};
    for (const char *error : {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"})
        rows.append({"错误", error, "", error}); // a formula's result, and a constant in 金额
    return rows << QStringList{"房", "", "", "100"} << QStringList{"合计：100元/2人", "", "", ""};
}

} // namespace

TEST(FixtureImport, ReadsAsStoredAndImportsAmountsAndHeadCount)
{
    const QList<QStringList> loQuote = formulaQuote("合计：2790元/8人＝348.75元", false);
    // The file, its whole grid from the header row (columns A to D), the head count and the total recomputed
    // after the import.
    const std::tuple<const char *, QList<QStringList>, const char *, const char *> cases[] = {
        {"openpyxl_quote.xlsx", // absolute part targets
         {Header,
          {"房", "  锦江之星 ", "单价: 180.00 × 10间 × 2天", "3600"},
          {"餐", "团餐", "单价: 25.50 × 20人", "510.5"},
          {"车", "", "", "1,200.00"},
          {"导游", "出发", "2024-05-01", "0.3"},
          {"合计：4300.3元/8人＝537.5375元", "", "", ""}},
         "8",
         "4111.8"},
        {"handmade_quote.xlsx", // row 3 missing, escapes, a CR LF, dates and times, a row past the totals
         {{"项目", "", "", ""},
          {"地接社 ", "行程 ", "  单价: 100 × 2天  ", "1234.5"},
          {"", "", "", ""},
          {"餐", "第一行\r\n第二行", "TRUE", "#DIV/0!"},
          {"2024-05-01", "2024-05-01 12:00:00", "18:00:00", "123456789012.346"},
          {"合计：_x0041_元/2.5人＝元", "", "", ""},
          {"不应读取", "", "", ""}},
         "2.5",
         "123456790246.846"},
        {"xlwt_quote.xls",
         {Header,
          {"  大交通", "机票 ", "单价: 1234.5 × 8人", "9876"},
          {"景点门票", "故宫", "单价: 60 × 8人", "480.25"},
          {"其它", "", "", "-12.5"},
          {"综费", "2024-02-29", "2024-05-01 08:30:00", "1.5E-05"},
          {"合计：100元/12345人＝0.0081元", "", "", ""}},
         "1234",
         "10343.75"},
        {"handmade_quote.ods", // repeated rows, line breaks and tabs, a duration
         {Header,
          {"  房 ", "如家\t快捷 酒店\n二楼\n第二段", "单价: 200 × 5间", "1000"},
          {"餐", "餐", "", "12.5"},
          {"餐", "餐", "", "12.5"},
          {"2024-05-01", "2024-05-01 08:30:00", "TRUE", "0.125"},
          {"36:05:00", "0.3", "", ""},
          {"合计：1037.5元/6人＝172.9167元", "", "", ""}},
         "6",
         "1025.125"},
        // Formula cells once came in empty: no amounts, no totals row, a head count of 0, and success.
        // One workbook saved in three formats reads the same in each.
        {"lo_quote.xls", loQuote, "8", "2790"},
        {"lo_quote.xlsx", loQuote, "8", "2790"},
        {"lo_quote.ods", loQuote, "8", "2790"},
        // The first sheet is a chart sheet with cells of its own; TRUE in 金额 is no amount.
        {"lo_chart_first.xls", formulaQuote("合计：2791元/8人＝348.88元"), "8", "2790"},
        // Excel 95 (BIFF7) with its texts in GBK; gnumeric leaves TRUE out of the SUM.
        {"gnumeric_biff5_gbk.xls", formulaQuote("合计：2790元/8人＝348.75元"), "8", "2790"},
        // An error in 金额 is a text, not an amount of 1 元.
        {"gnumeric_errors.xls", errorCells(), "2", "100"},
    };
    for (const auto &[file, rows, headCount, total] : cases) {
        SCOPED_TRACE(testing::PrintToString(file));
        const QString path = QStringLiteral(QUILVAR_EXCEL_FIXTURES "/") + QString::fromUtf8(file);
        CellGrid grid;
        WorkbookError error;
        ASSERT_TRUE(ReadFirstWorksheet(path, ReadLimits{}, &grid, &error)) << file << ": " << error.text.toStdString();
        QList<QStringList> read;
        for (int r = 1; r <= grid.rowCount(); ++r)
            read.append({grid.text(r, 1), grid.text(r, 2), grid.text(r, 3), grid.text(r, 4)});
        EXPECT_EQ(show(read), show(rows)) << file;

        CostSheet sheet;
        ASSERT_TRUE(InExcel(sheet, path, &error)) << file << ": " << error.text.toStdString();
        sheet.RefreshTotals();
        EXPECT_EQ(sheet.Text3(), QString::fromUtf8(headCount)) << file;
        EXPECT_EQ(sheet.Text1(), QString::fromUtf8(total)) << file;
        // The lines are the rows between the header and the totals row, numbered and ticked.
        qsizetype lines = 0;
        while (lines + 1 < rows.size() && !rows.at(lines + 1).first().startsWith(QStringLiteral("合计")))
            ++lines;
        ASSERT_EQ(sheet.rowCount(), std::max<qsizetype>(lines, CostSheet::InitialRows)) << file;
        for (int i = 0; i < sheet.rowCount(); ++i) {
            const CostLine &line = sheet.row(i + 1);
            EXPECT_EQ(line.Number, QString::number(i + 1));
            EXPECT_EQ(line.Included, i < lines) << file << " line " << i + 1;
            const QStringList texts{line.Category, line.Content, line.Expression, line.AmountText};
            EXPECT_EQ(texts, i < lines ? rows.at(i + 1) : QStringList(4)) << file << " line " << i + 1;
        }
    }
}
