#include "quote/GroupCosts.h"

#include "common/Spaces.h"
#include "quote/QuoteSettings.h"
#include "sheet/CostLine.h"
#include "sheet/HeadCountRefresh.h"

namespace {

bool isCategory(const CostLine &line, const QStringList &categories)
{
    if (categories.isEmpty())
        return false;
    const QStringView category = TrimSpaces(line.Category);
    for (const QString &name : categories) {
        if (category == name)
            return true;
    }
    return false;
}

} // namespace

GroupCostCalculator::Expression &GroupCostCalculator::figures(const QString &expression)
{
    auto found = m_expressions.find(expression);
    if (found != m_expressions.end())
        return *found;
    Expression figures;
    const RefreshedExpression own = RefreshExpression(expression, {});
    figures.keepsItsAmount = own.keepsItsAmount();
    figures.headFactors = own.headFactors;
    figures.roomFactors = own.roomFactors;
    figures.atOwnCounts = own.amount;
    if (own.roomFactors > 0)
        figures.oneRoom = RefreshExpression(expression, {std::nullopt, 1.0}).amount;
    return *m_expressions.insert(expression, figures);
}

const QList<Amount> &GroupCostCalculator::atSizes(Expression &figures, const QString &expression, bool withRooms)
{
    QList<Amount> &amounts = withRooms ? figures.withRooms : figures.headOnly;
    if (amounts.isEmpty()) {
        amounts.reserve(m_counts.size());
        for (const GroupCounts &counts : m_counts) {
            RefreshCounts refresh{double(counts.travellers), std::nullopt};
            if (withRooms && counts.rooms)
                refresh.rooms = double(*counts.rooms);
            amounts.append(RefreshExpression(expression, refresh).amount);
        }
    }
    return amounts;
}

GroupCosts GroupCostCalculator::costs(const QList<CostLine> &rows, const QuoteSettings &settings,
                                      const QList<GroupCounts> &counts)
{
    if (counts != m_counts) {
        m_expressions.clear();
        m_counts = counts;
    }
    const qsizetype sizes = counts.size();
    GroupCosts out;
    out.cost.resize(sizes);
    out.childExcluded.resize(sizes);
    // Lines that do not follow the group cost the same at every size: summed once.
    Amount fixed, fixedExcluded;
    for (const CostLine &line : rows) {
        if (!line.Included)
            continue;
        const bool excluded = isCategory(line, settings.childExcludes);
        const Amount amount = Amount::fromText(line.AmountText);
        Expression *expression = IsBlank(line.Expression) ? nullptr : &figures(line.Expression);
        const bool room = expression && expression->roomFactors > 0 && isCategory(line, settings.roomCategories);
        if (room)
            out.oneRoom += expression->oneRoom;
        const bool roomsFollow = room && settings.roomsFollow;
        if (!expression || expression->keepsItsAmount || (expression->headFactors == 0 && !roomsFollow)) {
            fixed += amount;
            if (excluded)
                fixedExcluded += amount;
            continue;
        }
        if (amount != expression->atOwnCounts)
            out.flagged.append({line.Number, line.Category, line.Content, amount, expression->atOwnCounts});
        const QList<Amount> &amounts = atSizes(*expression, line.Expression, roomsFollow);
        for (qsizetype i = 0; i < sizes; ++i) {
            out.cost[i] += amounts[i];
            if (excluded)
                out.childExcluded[i] += amounts[i];
        }
    }
    for (qsizetype i = 0; i < sizes; ++i) {
        out.cost[i] += fixed;
        out.childExcluded[i] += fixedExcluded;
    }
    forgetUnused(rows);
    return out;
}

// Expressions edited away are dropped once they outnumber the rows, so that a long session of
// typing does not keep every keystroke's expression.
void GroupCostCalculator::forgetUnused(const QList<CostLine> &rows)
{
    if (m_expressions.size() <= 2 * rows.size() + 64)
        return;
    QHash<QString, Expression> kept;
    for (const CostLine &line : rows) {
        auto found = m_expressions.find(line.Expression);
        if (found != m_expressions.end() && !kept.contains(line.Expression))
            kept.insert(line.Expression, std::move(*found));
    }
    m_expressions.swap(kept);
}
