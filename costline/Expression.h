#pragma once

#include "common/Amount.h"

#include <QList>
#include <QString>
#include <QStringView>

// One multiplier of a cost line: what was typed as the count, and the word for what is counted.
struct Factor
{
    QString count;
    QString unit;

    bool operator==(const Factor &other) const = default;
};

// A piece of an expression cut at the separators: a new unit-price text, or a factor.
struct StrBdsSegment
{
    enum Kind
    {
        Price,
        FactorSegment
    };
    Kind kind = FactorSegment;
    QString priceText; // the new unit-price text, for a price segment
    Factor factor;     // the new count text and unit word, for a factor segment

    bool operator==(const StrBdsSegment &other) const = default;
};

struct BuiltExpression
{
    QString text;
    Amount amount;
};

inline QString PriceLabel()
{
    return QStringLiteral("单价: ");
}
inline QString FactorSeparator()
{
    return QStringLiteral(" × ");
}

// Builds an expression left to right, one factor at a time. BuildStrBds uses it whole; the editor
// keeps its intermediate states so that appending a factor does not rebuild the ones before it.
class ExpressionBuilder
{
public:
    explicit ExpressionBuilder(const QString &unitPriceText);
    // Factors whose count reads 0 or 1 leave text and amount unchanged. With an empty unit word, a
    // count such as "30人" gives its own unit: " × 30人".
    void append(const Factor &factor);
    const QString &text() const { return m_text; }
    Amount amount() const { return m_amount; }
    // Back to an earlier state (text length and amount) this builder passed through.
    void restore(qsizetype textLength, Amount amount);

private:
    QString m_text;
    Amount m_amount;
};

// "单价: " + the price to two decimals, then " × " + count + unit word for each factor whose count
// is neither 0 nor 1 (as ExpressionBuilder::append writes it); the amount is the unit price times those counts, rounded
// after each step.
BuiltExpression BuildStrBds(const QString &unitPriceText, const QList<Factor> &factors);

// The text cut at every " × "; empty pieces count.
QList<QStringView> SplitStrBds(QStringView text);
// True for a segment holding ": " anywhere.
bool IsPriceSegment(QStringView segment);
// Everything after the first ": " of a price segment.
QStringView PriceTextOf(QStringView segment);

struct FactorParts
{
    QStringView countPrefix; // the leading run of digits and "."
    QStringView unitWord;    // the rest, verbatim
};
FactorParts SplitFactor(QStringView segment);

// One segment per piece, in text order; nothing is rejected.
QList<StrBdsSegment> ParseStrBds(const QString &text);
