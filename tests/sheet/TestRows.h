#pragma once

#include "sheet/CostLine.h"
#include "sheet/PriceBreaks.h"
#include "tests/common/TestText.h"

// The sheet's rows as their texts in a failed comparison.
inline void PrintTo(const RowTexts &row, std::ostream *out)
{
    PrintTo(QStringList{row.Category, row.Content, row.Expression, row.AmountText}, out);
}

inline void PrintTo(const CostLine &line, std::ostream *out)
{
    PrintTo(QStringList{line.Number, line.Category, line.Content, line.Expression, line.AmountText}, out);
    *out << (line.Included ? " ticked" : " not ticked");
}

inline void PrintTo(const PriceBreak &row, std::ostream *out)
{
    PrintTo(QStringList{row.headCount, row.total, row.perHead}, out);
}
