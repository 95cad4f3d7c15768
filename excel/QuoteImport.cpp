#include "excel/QuoteImport.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"

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

ImportedQuote QuoteFromGrid(const CellGrid &grid)
{
    ImportedQuote quote;
    int k = 0;
    while (k < MaxImportedRows) {
        ++k;
        const int r = k + 1;
        if (grid.text(r, 1).startsWith(QStringLiteral("合计")))
            break;
        quote.rows.append({grid.text(r, 1), grid.text(r, 2), grid.text(r, 3), grid.text(r, 4)});
    }
    // The totals row, or row 501 when no "合计" came.
    quote.headCountText = HeadCountFromTotals(grid.text(k + 1, 1));
    return quote;
}

bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error)
{
    CellGrid grid;
    ReadLimits limits;
    limits.maxRows = MaxImportedRows + 1;
    limits.maxColumns = 4;
    limits.firstRow = 2; // the header row is never read, so nothing in it can fail the import
    if (!ReadFirstWorksheet(path, limits, &grid, error))
        return false;
    LoadQuote(sheet, QuoteFromGrid(grid));
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
