#pragma once

#include "sheet/ClipboardTable.h"

class CostSheet;

// Writes pasted rows into the sheet from row `firstPosition` down (0: after the last row), exactly
// as given, by CostSheet::writeRows. A paste that holds no row or would pass the sheet's last
// possible row is refused whole: false with a message, and the sheet is unchanged.
bool PasteRows(CostSheet &sheet, int firstPosition, const QList<RowTexts> &rows, QString *error);
