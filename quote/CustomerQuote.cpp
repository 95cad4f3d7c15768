#include "quote/CustomerQuote.h"

#include "common/Spaces.h"
#include "sheet/CostLine.h"

bool MakeCustomerQuote(const GroupQuote &quote, const QList<CostLine> &rows, const QString &tourName,
                       const QString &tourDate, const QString &excludes, CustomerQuote *out, QString *error)
{
    if (quote.overflowed()) {
        *error = QStringLiteral("报价超出金额范围（约 ±9.22 × 10^14 元），不能生成报价单。");
        return false;
    }
    CustomerQuote result;
    result.tourName = tourName;
    result.tourDate = tourDate;
    for (const QuoteBreak &b : quote.breaks)
        result.prices.append({PayingText(b), AmountToText(b.price), AmountToText(b.child)});
    result.singleSupplement = AmountToText(quote.singleSupplement);
    for (const CostLine &line : rows) {
        const QString category = TrimSpaces(line.Category).toString();
        const QString content = line.Content.trimmed();
        if (line.Included && !(category.isEmpty() && content.isEmpty()))
            result.includes.append({category, content});
    }
    result.excludes = excludes;
    *out = result;
    return true;
}
