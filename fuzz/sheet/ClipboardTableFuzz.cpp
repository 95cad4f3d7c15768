#include "FuzzText.h"

#include "sheet/ClipboardTable.h"
#include "sheet/CostLine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzText(data, size);
    const QList<RowTexts> html = ParseHtmlTable(text);
    const QList<RowTexts> rows = ParseTabText(text);

    // Whatever was read, copied as text, reads back the same.
    for (const QList<RowTexts> *table : {&rows, &html}) {
        QList<CostLine> lines;
        for (const RowTexts &row : *table)
            lines.append({QString(), row.Category, row.Content, row.Expression, row.AmountText, true});
        if (ParseTabText(RowsAsTabText(lines)) != *table)
            std::abort();
    }
    return 0;
}
