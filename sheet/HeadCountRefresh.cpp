#include "sheet/HeadCountRefresh.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"
#include "common/Spaces.h"
#include "costline/Expression.h"
#include "sheet/CostSheet.h"

#include <cfloat>
#include <cmath>

namespace {

// Counts pass through single precision, as the per-person counts always have. A double beyond
// the float range becomes an infinity (and so an overflowed amount) rather than undefined.
float toSingle(double value)
{
    constexpr double HalfUlpAboveMax = 20282409603651670423947251286016.0; // 2^103
    if (std::fabs(value) >= double(FLT_MAX) + HalfUlpAboveMax)
        return value < 0 ? -INFINITY : INFINITY;
    if (std::fabs(value) > double(FLT_MAX))
        return value < 0 ? -FLT_MAX : FLT_MAX;
    return float(value);
}

// The price of a row as its first segment shows it: after the first ": ", or from the second
// character when there is none.
QStringView priceText(QStringView first)
{
    const qsizetype at = first.indexOf(u": ");
    if (at >= 0)
        return first.mid(at + 2);
    return first.size() > 1 ? first.mid(1) : QStringView();
}

} // namespace

void RefreshHeadCount(CostSheet &sheet)
{
    const float headCount = toSingle(LeadingNumber(sheet.Text3()));
    const QString separator = FactorSeparator();

    sheet.rewriteRows([&](int, CostLine &line) {
        // A blank line in the middle of a sheet is skipped; the lines after it still take the
        // new head count.
        if (IsBlank(line.Expression))
            return;
        const QList<QStringView> segments = SplitStrBds(line.Expression);
        const QStringView first = segments.first();
        Amount amount = Amount::fromDouble(LeadingNumber(priceText(first)));

        QString rebuilt;
        rebuilt.reserve(line.Expression.size() + 8);
        rebuilt += first;
        for (qsizetype j = 1; j < segments.size(); ++j) {
            const FactorParts parts = SplitFactor(segments[j]);
            float count = toSingle(LeadingNumber(parts.countPrefix));
            if (TrimSpaces(parts.unitWord) == u"人")
                count = headCount;
            rebuilt += separator;
            rebuilt += NumberTextSingle(count);
            rebuilt += parts.unitWord;
            amount = amount.timesDouble(count == 0 ? 1.0 : double(count));
        }
        line.Expression = rebuilt;
        line.AmountText = AmountToText(amount);
    });
    // Totals over every ticked row, as every other change leaves them.
    sheet.RefreshTotals();
}
