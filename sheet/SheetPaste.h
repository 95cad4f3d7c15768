#pragma once

#include "sheet/ClipboardTable.h"

class CostSheet;

// Writes pasted rows into the sheet from row `firstPosition` down (0: after the last row), exactly
// as given, by CostSheet::writeRows. A paste that holds no row or would pass the sheet's last
// possible row is refused whole: false with a message, and the sheet is unchanged.
bool PasteRows(CostSheet &sheet, int firstPosition, const QList<RowTexts> &rows, QString *error);

// The rows a paste of `count` rows from `firstPosition` would replace (0: after the last row),
// when any of them holds text; {0, 0} when it replaces none that does.
struct PasteOverwrite
{
    int first = 0;
    int last = 0;
    bool any() const { return first > 0; }
};
PasteOverwrite OverwrittenRows(const CostSheet &sheet, int firstPosition, int count);
// Where 插入到末尾 puts a paste: after the last row that holds text (1 on a sheet without text).
int AfterLastTextRow(const CostSheet &sheet);
// 「粘贴的 3 行将覆盖第 12–14 行。」
QString OverwriteQuestion(int count, const PasteOverwrite &overwrite);
