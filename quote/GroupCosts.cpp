#include "quote/GroupCosts.h"

#include "common/Spaces.h"
#include "quote/QuoteSettings.h"
#include "sheet/CostLine.h"
#include "sheet/HeadCountRefresh.h"

namespace {

bool isCategory(const QString &text, const QStringList &categories)
{
    const QStringView category = TrimSpaces(text);
    for (const QString &name : categories) {
        if (category == name)
            return true;
    }
    return false;
}

// The same text: at once when both share one buffer, as an unchanged row's texts do.
bool sameText(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

} // namespace

std::shared_ptr<GroupCostCalculator::Expression> GroupCostCalculator::figures(const QString &expression)
{
    std::shared_ptr<Expression> &figures = m_expressions[expression];
    if (figures)
        return figures;
    figures = std::make_shared<Expression>();
    const RefreshedExpression own = RefreshExpression(expression, {});
    figures->keepsItsAmount = own.keepsItsAmount();
    figures->headFactors = own.headFactors;
    figures->roomFactors = own.roomFactors;
    figures->atOwnCounts = own.amount;
    if (own.roomFactors > 0)
        figures->oneRoom = RefreshExpression(expression, {std::nullopt, 1.0}).amount;
    return figures;
}

GroupCostCalculator::Row &GroupCostCalculator::row(qsizetype position, const CostLine &line,
                                                   const QuoteSettings &settings)
{
    Row &row = m_rows[size_t(position)];
    if (!sameText(row.expression, line.Expression)) {
        row.expression = line.Expression;
        row.figures = IsBlank(line.Expression) ? nullptr : figures(line.Expression);
    }
    if (!sameText(row.amountText, line.AmountText)) {
        row.amountText = line.AmountText;
        row.amount = Amount::fromText(line.AmountText);
    }
    if (!sameText(row.category, line.Category)) {
        row.category = line.Category;
        row.room = isCategory(line.Category, settings.roomCategories);
        row.excluded = isCategory(line.Category, settings.childExcludes);
    }
    return row;
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
    if (counts != m_counts || settings.roomCategories != m_roomCategories ||
        settings.childExcludes != m_childExcludes) {
        m_expressions.clear();
        m_rows.clear();
        m_counts = counts;
        m_roomCategories = settings.roomCategories;
        m_childExcludes = settings.childExcludes;
    }
    m_rows.resize(size_t(rows.size()));
    const qsizetype sizes = counts.size();
    GroupCosts out;
    out.cost.resize(sizes);
    out.childExcluded.resize(sizes);
    // Lines that do not follow the group cost the same at every size: summed once.
    Amount fixed, fixedExcluded;
    for (qsizetype position = 0; position < rows.size(); ++position) {
        const CostLine &line = rows.at(position);
        if (!line.Included)
            continue;
        const Row &memo = row(position, line, settings);
        Expression *expression = memo.figures.get();
        const bool room = memo.room && expression && expression->roomFactors > 0;
        if (room)
            out.oneRoom += expression->oneRoom;
        const bool roomsFollow = room && settings.roomsFollow;
        if (!expression || expression->keepsItsAmount || (expression->headFactors == 0 && !roomsFollow)) {
            fixed += memo.amount;
            if (memo.excluded)
                fixedExcluded += memo.amount;
            continue;
        }
        if (memo.amount != expression->atOwnCounts)
            out.flagged.append({line.Number, line.Category, line.Content, memo.amount, expression->atOwnCounts});
        const QList<Amount> &amounts = atSizes(*expression, line.Expression, roomsFollow);
        for (qsizetype i = 0; i < sizes; ++i) {
            out.cost[i] += amounts[i];
            if (memo.excluded)
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
    QHash<QString, std::shared_ptr<Expression>> kept;
    for (const Row &row : m_rows) {
        if (row.figures)
            kept.insert(row.expression, row.figures);
    }
    m_expressions.swap(kept);
}
