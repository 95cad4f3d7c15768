#include "costline/Expression.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"

namespace {
const QString &separator()
{
    static const QString text = FactorSeparator();
    return text;
}
constexpr QStringView PriceMark = u": ";

// A count typed together with its unit ("30人") while the unit box is empty: the text after the
// count's digits is the unit word, split as reading the expression back splits a factor, so that
// the unit is not lost (a dropped "人" would escape the head-count refresh).
Factor withTypedUnit(const Factor &factor)
{
    if (!factor.unit.isEmpty())
        return factor;
    const QStringView count = QStringView(factor.count).trimmed();
    const FactorParts parts = SplitFactor(count);
    if (parts.countPrefix.isEmpty() || parts.unitWord.isEmpty())
        return factor;
    return {parts.countPrefix.toString(), parts.unitWord.toString()};
}
} // namespace

ExpressionBuilder::ExpressionBuilder(const QString &unitPriceText)
{
    const double price = LeadingNumber(unitPriceText);
    m_amount = Amount::fromDouble(price);
    m_text = PriceLabel() + Fixed2Text(price);
}

void ExpressionBuilder::append(const Factor &typed)
{
    const Factor factor = withTypedUnit(typed);
    const double count = LeadingNumber(factor.count);
    if (count == 0 || count == 1)
        return;
    m_amount = m_amount.timesDouble(count);
    m_text += separator();
    AppendNumberText(m_text, count);
    m_text += factor.unit;
}

void ExpressionBuilder::restore(qsizetype textLength, Amount amount)
{
    m_text.truncate(textLength);
    m_amount = amount;
}

BuiltExpression BuildStrBds(const QString &unitPriceText, const QList<Factor> &factors)
{
    ExpressionBuilder builder(unitPriceText);
    for (const Factor &factor : factors)
        builder.append(factor);
    return {builder.text(), builder.amount()};
}

QList<QStringView> SplitStrBds(QStringView text)
{
    QList<QStringView> pieces;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator(), start);
        if (at < 0)
            break;
        pieces.append(text.mid(start, at - start));
        start = at + separator().size();
    }
    pieces.append(text.mid(start));
    return pieces;
}

bool IsPriceSegment(QStringView segment)
{
    return segment.contains(PriceMark);
}

QStringView PriceTextOf(QStringView segment)
{
    const qsizetype at = segment.indexOf(PriceMark);
    return at < 0 ? QStringView() : segment.mid(at + PriceMark.size());
}

FactorParts SplitFactor(QStringView segment)
{
    qsizetype length = 0;
    while (length < segment.size()) {
        const char16_t c = segment[length].unicode();
        if (!((c >= u'0' && c <= u'9') || c == u'.'))
            break;
        ++length;
    }
    return {segment.left(length), segment.mid(length)};
}

QList<StrBdsSegment> ParseStrBds(const QString &text)
{
    const QList<QStringView> pieces = SplitStrBds(text);
    QList<StrBdsSegment> segments;
    segments.reserve(pieces.size());
    for (QStringView piece : pieces) {
        StrBdsSegment segment;
        if (IsPriceSegment(piece)) {
            segment.kind = StrBdsSegment::Price;
            segment.priceText = NumberText(LeadingNumber(PriceTextOf(piece)));
        } else {
            const FactorParts parts = SplitFactor(piece);
            segment.kind = StrBdsSegment::FactorSegment;
            segment.factor.count = NumberText(LeadingNumber(parts.countPrefix));
            segment.factor.unit = parts.unitWord.toString();
        }
        segments.append(segment);
    }
    return segments;
}
