#include "excel/QuoteImport.h"
#include "excel/WorkbookReader.h"
#include "sheet/CostSheet.h"

#include <gtest/gtest.h>

// Legacy .xls workbooks written by LibreOffice and gnumeric (tools/make_xls_fixtures.py), read through
// quilvar-xls-reader as the import reads them.
namespace {

QString fixture(const char *name)
{
    return QStringLiteral(QUILVAR_EXCEL_FIXTURES "/") + QString::fromUtf8(name);
}

// One line a row, the cells of columns A to D between bars, as gtest can show the difference.
std::string show(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows)
        text += row.join(QLatin1Char('|')) + QLatin1Char('\n');
    return text.toStdString();
}

std::string rowsOf(const CellGrid &grid)
{
    QList<QStringList> rows;
    for (int r = 1; r <= grid.rowCount(); ++r) {
        QStringList row;
        for (int c = 1; c <= 4; ++c)
            row.append(grid.text(r, c));
        rows.append(row);
    }
    return show(rows);
}

// The quote of the sources: 金额 as 单价 × 数量 from columns beyond D, a text formula, a logical
// formula, dates, an empty text formula, logical constants and a formula totals line.
std::string quoteRows(const char *totals, bool logical = true)
{
    QList<QStringList> rows{{"项目", "内容", "表达式", "金额"},
                            {"房", "锦江之星 标准间", "单价: 180 × 10间", "1800"},
                            {"餐", "团餐", "单价: 25.5 × 20人", "510"},
                            {"门票", "团体票", logical ? "FALSE" : "单价: 60 × 8人", "480"},
                            {"日期", "2024-05-01", "2024-02-29 12:00:00", ""}};
    if (logical)
        rows.append({"逻辑", "TRUE", "FALSE", "TRUE"});
    rows.append({QString::fromUtf8(totals), "", "", ""});
    return show(rows);
}

} // namespace

TEST(XlsFixtures, CellsReadAsTheWritingProgramStoredThem)
{
    QList<QStringList> errors{{"项目", "内容", "表达式", "金额"}};
    for (const char *error : {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"})
        errors.append({"错误", error, "", error}); // a formula's result, and a constant in 金额
    errors.append({"房", "", "", "100"});
    errors.append({"合计：100元/2人", "", "", ""});

    const struct
    {
        const char *file;
        std::string rows;
    } cases[] = {
        // The first sheet is a chart sheet with cells of its own; the quote is the first worksheet.
        {"lo_chart_first.xls", quoteRows("合计：2791元/8人＝348.88元")},
        // Excel 95 (BIFF7) with its texts in GBK; gnumeric leaves TRUE out of the SUM.
        {"gnumeric_biff5_gbk.xls", quoteRows("合计：2790元/8人＝348.75元")},
        {"gnumeric_errors.xls", show(errors)},
    };
    for (const auto &c : cases) {
        CellGrid grid;
        QString error;
        ASSERT_TRUE(ReadFirstWorksheet(fixture(c.file), ReadLimits{}, &grid, &error))
            << c.file << ": " << error.toStdString();
        EXPECT_EQ(rowsOf(grid), c.rows) << c.file;
    }
}

// Before, formula cells came in empty: no amounts, no totals row, a head count of 0, and success.
TEST(XlsFixtures, FormulaQuoteImportsItsAmountsAndHeadCount)
{
    const struct
    {
        const char *file;
        const char *headCount;
        const char *total;
    } cases[] = {
        {"lo_quote.xls", "8", "2790"},
        {"lo_chart_first.xls", "8", "2790"}, // TRUE in 金额 is no amount
        {"gnumeric_biff5_gbk.xls", "8", "2790"},
        // An error in 金额 is a text, not an amount of 1 元.
        {"gnumeric_errors.xls", "2", "100"},
    };
    for (const auto &c : cases) {
        CostSheet sheet;
        QString error;
        ASSERT_TRUE(InExcel(sheet, fixture(c.file), &error)) << c.file << ": " << error.toStdString();
        sheet.RefreshTotals();
        EXPECT_EQ(sheet.Text3(), QString::fromUtf8(c.headCount)) << c.file;
        EXPECT_EQ(sheet.Text1(), QString::fromUtf8(c.total)) << c.file;
    }
}

TEST(XlsFixtures, OneWorkbookSavedInThreeFormatsReadsTheSame)
{
    QList<std::string> grids;
    for (const char *file : {"lo_quote.xls", "lo_quote.xlsx", "lo_quote.ods"}) {
        CellGrid grid;
        QString error;
        ASSERT_TRUE(ReadFirstWorksheet(fixture(file), ReadLimits{}, &grid, &error))
            << file << ": " << error.toStdString();
        grids.append(rowsOf(grid));
    }
    EXPECT_EQ(grids.at(0), quoteRows("合计：2790元/8人＝348.75元", false));
    EXPECT_EQ(grids.at(1), grids.at(0)) << ".xlsx";
    EXPECT_EQ(grids.at(2), grids.at(0)) << ".ods";
}
