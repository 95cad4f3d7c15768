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

bool RefreshHeadCount(CostSheet &sheet, QString *error)
{
    const float headCount = toSingle(LeadingNumber(sheet.Text3()));
    if (!(headCount > 0) || std::isinf(headCount)) {
        if (error)
            *error = IsBlank(sheet.Text3())
                         ? QStringLiteral("还没有填人数，没有刷新。请先在人数框中填入大于 0 的人数。")
                         : QStringLiteral("人数“%1”不是大于 0 的数，没有刷新。请在人数框中填入大于 0 的人数。")
                               .arg(sheet.Text3().size() > 20 ? sheet.Text3().left(20) + QStringLiteral("…")
                                                              : sheet.Text3());
        return false;
    }
    const QString separator = FactorSeparator();

    sheet.rewriteRows([&](int, CostLine &line) {
        // A blank line in the middle of a sheet is skipped; the lines after it still take the
        // new head count.
        if (IsBlank(line.Expression))
            return;
        // Walks the segments in place; a sheet can hold tens of thousands of lines.
        const QStringView expression(line.Expression);
        qsizetype cut = expression.indexOf(separator);
        const QStringView first = expression.left(cut < 0 ? expression.size() : cut);
        Amount amount = Amount::fromDouble(LeadingNumber(priceText(first)));

        QString rebuilt;
        rebuilt.reserve(expression.size() + 8);
        rebuilt += first;
        while (cut >= 0) {
            const qsizetype start = cut + separator.size();
            cut = expression.indexOf(separator, start);
            const FactorParts parts = SplitFactor(expression.mid(start, (cut < 0 ? expression.size() : cut) - start));
            float count = toSingle(LeadingNumber(parts.countPrefix));
            if (TrimSpaces(parts.unitWord) == u"人")
                count = headCount;
            rebuilt += separator;
            AppendNumberTextSingle(rebuilt, count);
            rebuilt += parts.unitWord;
            amount = amount.timesDouble(count == 0 ? 1.0 : double(count));
        }
        line.Expression = rebuilt;
        line.AmountText = AmountToText(amount);
    });
    // Totals over every ticked row, as every other change leaves them.
    sheet.RefreshTotals();
    return true;
}
