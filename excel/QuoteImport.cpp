#include "excel/QuoteImport.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"

#include <algorithm>
#include <cmath>

QString HeadCountFromTotals(const QString &totalsText)
{
    // 1-based p of "元/" (0 when absent); the count starts two characters after it, so a text
    // without "元/" is read from its second character.
    const qsizetype p = totalsText.indexOf(QStringLiteral("元/")) + 1;
    const double count = LeadingNumber(QStringView(totalsText).mid(std::min(p + 1, totalsText.size()), 4));
    // Four characters cannot hold a number beyond a double's range, but stay safe; and no "-0".
    return NumberText(std::isfinite(count) && count != 0 ? count : 0.0);
}

namespace {

// The sheet row below which nothing is read: the header, the rows a sheet holds, the totals row.
constexpr int LastReadRow = CostSheet::MaxRows + 2;

int lastRowWithText(const CellGrid &grid)
{
    for (int row = grid.rowCount(); row >= 2; --row) {
        for (int column = 1; column <= 4; ++column) {
            if (!grid.text(row, column).isEmpty())
                return row;
        }
    }
    return 0;
}

} // namespace

bool QuoteFromGrid(const CellGrid &grid, ImportedQuote *quote, WorkbookError *error)
{
    int totalsRow = 0;
    for (int row = 2; row <= std::min(grid.rowCount(), LastReadRow) && totalsRow == 0; ++row) {
        if (grid.text(row, 1).startsWith(QStringLiteral("合计")))
            totalsRow = row;
    }
    // The last data row, whose next row (or itself, without a totals row) gives the head count.
    int lastDataRow = totalsRow - 1;
    if (totalsRow == 0) {
        lastDataRow = std::max(ClassicImportedRows + 1, lastRowWithText(grid));
        if (lastDataRow > CostSheet::MaxRows + 1 || grid.textBeyond())
            return WorkbookError::fail(
                error, WorkbookError::Kind::TooManyRows,
                QStringLiteral("工作表的数据超过 %1 行（报价单最多 %1 行），且没有“合计”行，不予导入。")
                    .arg(CostSheet::MaxRows));
    }
    ImportedQuote read;
    for (int row = 2; row <= lastDataRow; ++row)
        read.rows.append({grid.text(row, 1), grid.text(row, 2), grid.text(row, 3), grid.text(row, 4)});
    read.headCountText = HeadCountFromTotals(grid.text(totalsRow == 0 ? lastDataRow : totalsRow, 1));
    *quote = read;
    return true;
}

bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error)
{
    CellGrid grid;
    ReadLimits limits;
    limits.maxRows = LastReadRow;
    limits.maxColumns = 4;
    limits.firstRow = 2; // the header row is never read, so nothing in it can fail the import
    ImportedQuote quote;
    if (!ReadFirstWorksheet(path, limits, &grid, error) || !QuoteFromGrid(grid, &quote, error))
        return false;
    LoadQuote(sheet, quote);
    return true;
}

void LoadQuote(CostSheet &sheet, const ImportedQuote &quote)
{
    sheet.replaceRows({});
    sheet.writeRows(1, quote.rows);
    while (sheet.rowCount() < CostSheet::InitialRows)
        sheet.AddRow();
    sheet.setText3(quote.headCountText);
}
