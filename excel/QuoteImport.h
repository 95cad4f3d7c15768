#pragma once

#include "sheet/CostLine.h"

#include <QList>
#include <QString>

class CellGrid;
class CostSheet;
struct WorkbookError;

// What a quote workbook gives back: the texts of the data rows (from row 2 up to the "合计" row, at
// most 500) and the head count found after "元/" in the totals row.
struct ImportedQuote
{
    QList<RowTexts> rows;
    QString headCountText;
};

constexpr int MaxImportedRows = 500;

ImportedQuote QuoteFromGrid(const CellGrid &grid);
// The head count of a totals text: at most four characters after "元/", read by LeadingNumber.
QString HeadCountFromTotals(const QString &totalsText);

// Reads the whole first worksheet of the workbook at path; only then is the quote loaded. A failure
// changes nothing.
bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error);
// Every row replaced by the quote's (written from row 1, ticked, then blank rows up to twenty, and
// the totals), then the head count set.
void LoadQuote(CostSheet &sheet, const ImportedQuote &quote);
