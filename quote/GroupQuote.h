#pragma once

#include "common/Amount.h"
#include "quote/GroupCosts.h"
#include "quote/QuoteSettings.h"

#include <QList>
#include <QString>

#include <optional>

struct CostLine;

// The quote for one group size.
struct QuoteBreak
{
    int paying = 0;
    int free = 0;
    int staff = 0;
    int travellers = 0;
    std::optional<int> rooms; // only when the rooms follow the group
    Amount cost;              // the sheet's total at this size
    Amount costPerHead;       // per paying guest
    Amount price;             // per paying guest, tax included
    Amount tax;
    Amount profit;
    std::optional<Amount> margin; // per cent of the price, two decimals; none when the price is 0
    Amount groupPrice;
    Amount groupProfit;
    Amount child;
};

struct GroupQuote
{
    QList<QuoteBreak> breaks;
    Amount singleSupplement;
    QList<FlaggedLine> flagged; // priced from their expressions, which the sheet's amounts contradict

    // A figure left the money range: it reads 溢出 and no customer document may be made of it.
    bool overflowed() const;
};

// Prices the sheet's rows at every group size of the settings: the cost at each size is the total
// of the ticked rows, those that follow the group as the head-count refresh with the travellers
// (and rooms) of that size makes them, the others as the sheet has them (GroupCostCalculator).
// When no factor changes, the cost is the sheet's total. The rows are not changed. A calculator
// kept between calls makes a recomputation after a small edit cheap.
GroupQuote ComputeGroupQuote(const QList<CostLine> &rows, const QuoteSettings &settings,
                             GroupCostCalculator *calculator = nullptr);

// "15+1" with free places, "15" without.
QString PayingText(const QuoteBreak &quoteBreak);
// The margin as AmountToText writes it, or the empty text.
QString MarginText(const QuoteBreak &quoteBreak);

// Every figure of a break as a text, under the name hosts read it by ("paying", "free", "staff",
// "travellers", "rooms" when the rooms follow, "cost", "costperhead", "price", "tax", "profit",
// "margin", "groupprice", "groupprofit", "child"), in that order.
struct QuoteField
{
    QLatin1String name;
    QString text;
};
QList<QuoteField> QuoteBreakFields(const QuoteBreak &quoteBreak);
