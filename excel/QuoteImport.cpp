#include "excel/QuoteImport.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
    const int columns = std::min(grid.columnCount(), 4);
    for (int row = grid.rowCount(); row >= 2; --row) {
        for (int column = 1; column <= columns; ++column)
            if (!grid.text(row, column).isEmpty())
                return row;
    }
    return 0;
}

// The last data row, whose next row (or itself, without a totals row) gives the head count; 0 with
// a message when the data passes what a sheet holds. totalsRow: the row of "合计", else 0.
int lastDataRow(const CellGrid &grid, int *totalsRow, WorkbookError *error)
{
    *totalsRow = 0;
    for (int row = 2; row <= std::min(grid.rowCount(), LastReadRow) && *totalsRow == 0; ++row) {
        if (grid.text(row, 1).startsWith(QStringLiteral("合计")))
            *totalsRow = row;
    }
    if (*totalsRow != 0)
        return *totalsRow - 1;
    const int last = std::max(ClassicImportedRows + 1, lastRowWithText(grid));
    if (last > CostSheet::MaxRows + 1 || grid.textBeyond()) {
        WorkbookError::fail(error, WorkbookError::Kind::TooManyRows,
                            QStringLiteral("工作表的数据超过 %1 行（报价单最多 %1 行），且没有“合计”行，不予导入。")
                                .arg(CostSheet::MaxRows));
        return 0;
    }
    return last;
}

} // namespace

bool QuoteFromGrid(CellGrid &grid, ImportedQuote *quote, WorkbookError *error)
{
    int totalsRow = 0;
    const int lastRow = lastDataRow(grid, &totalsRow, error);
    if (lastRow == 0)
        return false;
    ImportedQuote read;
    read.headCountText = HeadCountFromTotals(grid.text(totalsRow == 0 ? lastRow : totalsRow, 1));
    read.rows.reserve(std::max(0, lastRow - 1));
    for (int row = 2; row <= lastRow; ++row)
        read.rows.append({grid.takeText(row, 1), grid.takeText(row, 2), grid.takeText(row, 3), grid.takeText(row, 4)});
    *quote = std::move(read);
    return true;
}

namespace {

bool readQuote(const QString &path, ImportedQuote *quote, WorkbookError *error)
{
    CellGrid grid;
    ReadLimits limits;
    limits.maxRows = LastReadRow;
    limits.maxColumns = 4;
    limits.firstRow = 2; // the header row is never read, so nothing in it can fail the import
    return ReadFirstWorksheet(path, limits, &grid, error) && QuoteFromGrid(grid, quote, error);
}

} // namespace

bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error)
{
    // The grid, emptied by the quote, is gone before the sheet's lines are made.
    ImportedQuote quote;
    if (!readQuote(path, &quote, error))
        return false;
    LoadQuote(sheet, std::move(quote));
    return true;
}

void LoadQuote(CostSheet &sheet, ImportedQuote quote)
{
    sheet.replaceRows({});
    // The totals once, at the end, over the new head count: summing a full sheet costs as much as
    // reading its amounts.
    sheet.writeRowsKeepingTotals(1, std::move(quote.rows));
    while (sheet.rowCount() < CostSheet::InitialRows)
        sheet.AddRow();
    sheet.setText3(quote.headCountText);
    sheet.RefreshTotals();
}
