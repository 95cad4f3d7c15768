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

RefreshedExpression RefreshExpression(QStringView expression, const RefreshCounts &counts, QString *rebuilt)
{
    const QString separator = FactorSeparator();
    const bool newHeadCount = counts.headCount.has_value(), newRooms = counts.rooms.has_value();
    const float headCount = newHeadCount ? toSingle(*counts.headCount) : 0;
    const float rooms = newRooms ? toSingle(*counts.rooms) : 0;

    // Walks the segments in place; a sheet can hold tens of thousands of lines.
    qsizetype cut = expression.indexOf(separator);
    const QStringView first = expression.left(cut < 0 ? expression.size() : cut);
    RefreshedExpression result;
    result.price = Amount::fromDouble(LeadingNumber(priceText(first)));
    result.amount = result.price;
    if (rebuilt)
        *rebuilt += first;
    while (cut >= 0) {
        const qsizetype start = cut + separator.size();
        cut = expression.indexOf(separator, start);
        const FactorParts parts = SplitFactor(expression.mid(start, (cut < 0 ? expression.size() : cut) - start));
        float count = toSingle(LeadingNumber(parts.countPrefix));
        const QStringView unit = TrimSpaces(parts.unitWord);
        if (unit == u"人") {
            ++result.headFactors;
            if (newHeadCount)
                count = headCount;
        } else if (unit == u"间") {
            ++result.roomFactors;
            if (newRooms)
                count = rooms;
        }
        if (rebuilt) {
            *rebuilt += separator;
            AppendNumberTextSingle(*rebuilt, count);
            *rebuilt += parts.unitWord;
        }
        result.amount = result.amount.timesDouble(count == 0 ? 1.0 : double(count));
    }
    return result;
}

bool RefreshHeadCount(CostSheet &sheet, QString *error)
{
    const double headCount = LeadingNumber(sheet.Text3());
    // The count passes through single precision: a tiny one is 0 there, a huge one infinite.
    const float single = toSingle(headCount);
    if (!(single > 0) || std::isinf(single)) {
        if (error)
            *error = IsBlank(sheet.Text3())
                         ? QStringLiteral("还没有填人数，没有刷新。请先在人数框中填入大于 0 的人数。")
                         : QStringLiteral("人数“%1”不是大于 0 的数，没有刷新。请在人数框中填入大于 0 的人数。")
                               .arg(sheet.Text3().size() > 20 ? sheet.Text3().left(20) + QStringLiteral("…")
                                                              : sheet.Text3());
        return false;
    }
    const RefreshCounts counts{headCount, std::nullopt};

    sheet.rewriteRows([&](int, CostLine &line) {
        // A blank line in the middle of a sheet is skipped; the lines after it still take the
        // new head count.
        if (IsBlank(line.Expression))
            return;
        QString rebuilt;
        rebuilt.reserve(line.Expression.size() + 8);
        const RefreshedExpression refreshed = RefreshExpression(line.Expression, counts, &rebuilt);
        // Its amount was the planner's, not the expression's: turning it into 0 would lose it.
        if (refreshed.keepsItsAmount())
            return;
        line.Expression = rebuilt;
        line.AmountText = AmountToText(refreshed.amount);
    });
    // Totals over every ticked row, as every other change leaves them.
    sheet.RefreshTotals();
    return true;
}
