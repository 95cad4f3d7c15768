#pragma once

#include "sheet/CostLine.h"

#include <QList>
#include <QString>

class CellGrid;
class CostSheet;
struct WorkbookError;

// What a quote workbook gives back: the texts of the data rows from row 2 down to the "合计" row
// (without one, down to the later of row 501 and the last row with text in columns A to D) and the
// head count found after "元/" in the totals row (without one, in the last data row).
struct ImportedQuote
{
    QList<RowTexts> rows;
    QString headCountText;
};

// A workbook whose data fits in rows 2 to 501 imports as one of 500 rows always did.
constexpr int ClassicImportedRows = 500;

// The texts are moved out of the grid, their cells left empty; false with a message, changing
// nothing, when the data passes what a sheet holds.
bool QuoteFromGrid(CellGrid &grid, ImportedQuote *quote, WorkbookError *error);
// The head count of a totals text: at most four characters after "元/", read by LeadingNumber.
QString HeadCountFromTotals(const QString &totalsText);

// Reads the whole first worksheet of the workbook at path; only then is the quote loaded. A failure
// changes nothing.
bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error);
// Every row replaced by the quote's (written from row 1, ticked, then blank rows up to twenty), the
// head count set, then the totals.
void LoadQuote(CostSheet &sheet, ImportedQuote quote);
