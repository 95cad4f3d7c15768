#pragma once

#include "sheet/CostLine.h"

#include <QList>
#include <QString>

class CellGrid;
class CostSheet;
struct WorkbookError;

// What a quote workbook gives back: the data rows (from row 2 up to the "合计" row, at most 500),
// numbered from 1 and ticked, then filler rows up to twenty; and the head count found after "元/"
// in the totals row.
struct ImportedQuote
{
    QList<CostLine> rows;
    QString headCountText;
};

constexpr int MaxImportedRows = 500;

ImportedQuote QuoteFromGrid(const CellGrid &grid);
// The head count of a totals text: at most four characters after "元/", read by LeadingNumber.
QString HeadCountFromTotals(const QString &totalsText);

// Reads the whole first worksheet of the workbook at path; only then are the rows replaced and the
// head count set (which recomputes the per-head text). A failure changes nothing. The caller
// recomputes the totals afterwards.
bool InExcel(CostSheet &sheet, const QString &path, WorkbookError *error);
