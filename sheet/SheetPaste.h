#pragma once

#include "sheet/ClipboardTable.h"

class CostSheet;

// Writes pasted rows into the sheet from row `firstPosition` down (0: after the last row): each
// row's four texts exactly as given, ticked; rows past the end are appended. Then RefreshTotals.
// A paste that would pass the sheet's last possible row, or that holds no row, is refused whole:
// false with a message, and the sheet is unchanged.
bool PasteRows(CostSheet &sheet, int firstPosition, const QList<TableRow> &rows, QString *error);
