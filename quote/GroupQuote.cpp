#include "quote/GroupQuote.h"

#include "sheet/CostLine.h"

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

// Who travels in a group of that many paying guests.
QuoteBreak groupOf(const QuoteSettings &settings, int paying)
{
    QuoteBreak out;
    out.paying = paying;
    out.free = settings.freeEvery > 0 ? paying / settings.freeEvery : 0;
    out.staff = settings.staff;
    out.travellers = paying + out.free + settings.staff;
    if (settings.roomsFollow)
        out.rooms = (paying + out.free + 1) / 2 + settings.staff;
    return out;
}

void priceSize(QuoteBreak &out, const QuoteSettings &settings, Amount cost, Amount childExcluded)
{
    out.cost = cost;
    const Pricing pricing(settings);
    const Amount payingCount = whole(out.paying);
    const Amount one = whole(1);
    out.costPerHead = out.cost.mulDiv(one, payingCount);
    out.price = pricing.price(out.costPerHead);
    out.tax = pricing.taxIn(out.price, out.costPerHead);
    out.profit = out.price - out.costPerHead - out.tax;
    if (out.price.isValid() && out.profit.isValid() && out.price.units() != 0) {
        // Two decimals, halves to even: profit × 100 ÷ price.
        out.margin = out.profit.mulDiv(whole(100), out.price, 2);
    }
    out.groupPrice = out.price.times(out.paying);
    out.groupProfit = out.profit.times(out.paying);
    out.child = pricing.price((out.cost - childExcluded).mulDiv(one, payingCount));
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

GroupQuote ComputeGroupQuote(const QList<CostLine> &rows, const QuoteSettings &settings,
                             GroupCostCalculator *calculator)
{
    GroupQuote quote;
    QList<GroupCounts> counts;
    for (int paying : settings.sizes) {
        quote.breaks.append(groupOf(settings, paying));
        counts.append({quote.breaks.last().travellers, quote.breaks.last().rooms});
    }
    GroupCostCalculator once;
    const GroupCosts costs = (calculator ? calculator : &once)->costs(rows, settings, counts);
    for (qsizetype i = 0; i < quote.breaks.size(); ++i)
        priceSize(quote.breaks[i], settings, costs.cost.at(i), costs.childExcluded.at(i));
    // Half the cost of one room for the stay, sold by the markup or margin (a profit per head is
    // not added to a supplement), taxed and rounded up as the prices are.
    quote.singleSupplement = Pricing(settings).price(costs.oneRoom.mulDiv(whole(1), whole(2)), true);
    quote.flagged = costs.flagged;
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
