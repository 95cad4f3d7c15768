#include "quote/GroupQuote.h"

#include "common/Spaces.h"
#include "sheet/CostLine.h"
#include "sheet/HeadCountRefresh.h"

namespace {

Amount whole(qint64 number)
{
    return Amount::fromWhole(number);
}

Amount atLeastZero(Amount a)
{
    return a.isValid() && a.units() < 0 ? Amount() : a;
}

class Pricing
{
public:
    explicit Pricing(const QuoteSettings &settings) : m_settings(settings) {}

    // Before tax.
    Amount sell(Amount costPerHead, bool ruleOnCostOnly = false) const
    {
        const Amount hundred = whole(100);
        switch (m_settings.rule) {
        case SellingRule::Markup:
            return costPerHead.mulDiv(hundred + m_settings.ruleValue, hundred);
        case SellingRule::Margin:
            return costPerHead.mulDiv(hundred, hundred - m_settings.ruleValue);
        case SellingRule::Profit:
            return ruleOnCostOnly ? costPerHead : costPerHead + m_settings.ruleValue;
        case SellingRule::None:
            break;
        }
        return costPerHead;
    }

    // Tax added, then rounded up.
    Amount price(Amount costPerHead, bool ruleOnCostOnly = false) const
    {
        const Amount hundred = whole(100);
        const Amount beforeTax = sell(costPerHead, ruleOnCostOnly);
        const Amount withTax =
            m_settings.taxBase == TaxBase::Price
                ? beforeTax.mulDiv(hundred + m_settings.taxPercent, hundred)
                : beforeTax + atLeastZero(beforeTax - costPerHead).mulDiv(m_settings.taxPercent, hundred);
        return withTax.roundUpTo(m_settings.roundStep);
    }

    // The tax the price holds.
    Amount taxIn(Amount price, Amount costPerHead) const
    {
        const Amount base = m_settings.taxBase == TaxBase::Price ? price : atLeastZero(price - costPerHead);
        return base.mulDiv(m_settings.taxPercent, whole(100) + m_settings.taxPercent);
    }

private:
    const QuoteSettings &m_settings;
};

bool isCategory(const CostLine &line, const QStringList &categories)
{
    const QStringView category = TrimSpaces(line.Category);
    for (const QString &name : categories) {
        if (category == name)
            return true;
    }
    return false;
}

// A row's amount after the refresh: recomputed from its expression, or as it stands when the
// expression is blank (the refresh leaves such a row alone).
Amount lineAmount(const CostLine &line, const RefreshCounts &counts)
{
    if (IsBlank(line.Expression))
        return Amount::fromText(line.AmountText);
    return RefreshExpression(line.Expression, counts).amount;
}

QuoteBreak priceSize(const QList<CostLine> &rows, const QuoteSettings &settings, int paying)
{
    QuoteBreak out;
    out.paying = paying;
    out.free = settings.freeEvery > 0 ? paying / settings.freeEvery : 0;
    out.staff = settings.staff;
    out.travellers = paying + out.free + settings.staff;
    RefreshCounts counts{double(out.travellers), std::nullopt};
    if (settings.roomsFollow) {
        out.rooms = (paying + out.free + 1) / 2 + settings.staff;
        counts.rooms = double(*out.rooms);
    }

    Amount excluded;
    for (const CostLine &line : rows) {
        if (!line.Included)
            continue;
        const Amount amount = lineAmount(line, counts);
        out.cost += amount;
        if (isCategory(line, settings.childExcludes))
            excluded += amount;
    }

    const Pricing pricing(settings);
    const Amount payingCount = whole(paying);
    const Amount one = whole(1);
    out.costPerHead = out.cost.mulDiv(one, payingCount);
    out.price = pricing.price(out.costPerHead);
    out.tax = pricing.taxIn(out.price, out.costPerHead);
    out.profit = out.price - out.costPerHead - out.tax;
    if (out.price.isValid() && out.profit.isValid() && out.price.units() != 0) {
        // Two decimals, halves to even: profit × 100 ÷ price.
        out.margin = out.profit.mulDiv(whole(100), out.price, 2);
    }
    out.groupPrice = out.price.times(paying);
    out.groupProfit = out.profit.times(paying);
    out.child = pricing.price((out.cost - excluded).mulDiv(one, payingCount));
    return out;
}

// Half the cost of one room for the stay, sold by the markup or margin (a profit per head is
// not added to a supplement), taxed and rounded up as the prices are.
Amount singleSupplement(const QList<CostLine> &rows, const QuoteSettings &settings)
{
    const RefreshCounts oneRoom{std::nullopt, 1.0};
    Amount rooms;
    for (const CostLine &line : rows) {
        if (!line.Included || TrimSpaces(line.Category) != u"房" || IsBlank(line.Expression))
            continue;
        const RefreshedExpression refreshed = RefreshExpression(line.Expression, oneRoom);
        if (refreshed.roomFactors > 0)
            rooms += refreshed.amount;
    }
    return Pricing(settings).price(rooms.mulDiv(whole(1), whole(2)), true);
}

} // namespace

bool GroupQuote::overflowed() const
{
    if (!singleSupplement.isValid())
        return true;
    for (const QuoteBreak &b : breaks) {
        for (const Amount &a : {b.cost, b.costPerHead, b.price, b.tax, b.profit, b.groupPrice, b.groupProfit, b.child})
            if (!a.isValid())
                return true;
    }
    return false;
}

GroupQuote ComputeGroupQuote(const QList<CostLine> &rows, const QuoteSettings &settings)
{
    GroupQuote quote;
    quote.breaks.reserve(settings.sizes.size());
    for (int paying : settings.sizes)
        quote.breaks.append(priceSize(rows, settings, paying));
    quote.singleSupplement = singleSupplement(rows, settings);
    return quote;
}

QString PayingText(const QuoteBreak &quoteBreak)
{
    const QString paying = QString::number(quoteBreak.paying);
    return quoteBreak.free > 0 ? paying + QLatin1Char('+') + QString::number(quoteBreak.free) : paying;
}

QString MarginText(const QuoteBreak &quoteBreak)
{
    return quoteBreak.margin ? AmountToText(*quoteBreak.margin) : QString();
}

QList<QuoteField> QuoteBreakFields(const QuoteBreak &b)
{
    QList<QuoteField> fields{{QLatin1String("paying"), QString::number(b.paying)},
                             {QLatin1String("free"), QString::number(b.free)},
                             {QLatin1String("staff"), QString::number(b.staff)},
                             {QLatin1String("travellers"), QString::number(b.travellers)}};
    if (b.rooms)
        fields.append({QLatin1String("rooms"), QString::number(*b.rooms)});
    const std::pair<QLatin1String, Amount> amounts[] = {{QLatin1String("cost"), b.cost},
                                                        {QLatin1String("costperhead"), b.costPerHead},
                                                        {QLatin1String("price"), b.price},
                                                        {QLatin1String("tax"), b.tax},
                                                        {QLatin1String("profit"), b.profit}};
    for (const auto &[name, amount] : amounts)
        fields.append({name, AmountToText(amount)});
    fields.append({QLatin1String("margin"), MarginText(b)});
    fields.append({QLatin1String("groupprice"), AmountToText(b.groupPrice)});
    fields.append({QLatin1String("groupprofit"), AmountToText(b.groupProfit)});
    fields.append({QLatin1String("child"), AmountToText(b.child)});
    return fields;
}
