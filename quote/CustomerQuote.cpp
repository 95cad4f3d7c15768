#include "quote/CustomerQuote.h"

#include "sheet/CostLine.h"

#include <algorithm>

namespace {

bool fail(QString *error, const QString &message)
{
    *error = message;
    return false;
}

QString groupNote(const QList<QuoteBreak> &breaks)
{
    for (const QuoteBreak &b : breaks) {
        if (b.free > 0)
            return QStringLiteral("人数“%1”即 %2 位付费客人另加 %3 个免费名额。")
                .arg(PayingText(b))
                .arg(b.paying)
                .arg(b.free);
    }
    return QString();
}

} // namespace

QString DocumentPrice(Amount amount)
{
    if (!amount.isValid())
        return AmountToText(amount);
    constexpr qint64 fen = Amount::Scale / 100;
    const qint64 units = amount.units();
    // Up, towards the larger amount, for negative amounts too (division truncates towards zero).
    const qint64 up = units > 0 ? (units / fen + (units % fen != 0)) * fen : units / fen * fen;
    return AmountToText(Amount::fromUnits(up));
}

bool MakeCustomerQuote(const GroupQuote &quote, const QList<CostLine> &rows, const QuoteTexts &texts,
                       const AgencyDetails &agency, const QString &logoPath, CustomerQuote *out, QString *error)
{
    if (quote.overflowed())
        return fail(error, QStringLiteral("报价超出金额范围（约 ±9.22 × 10^14 元），不能生成报价单。"));
    if (std::none_of(rows.cbegin(), rows.cend(), [](const CostLine &line) { return line.Included; }))
        return fail(error, QStringLiteral("费用表中没有勾选的项目，不能生成报价单。"));
    if (std::none_of(quote.breaks.cbegin(), quote.breaks.cend(),
                     [](const QuoteBreak &b) { return b.price.units() > 0; }))
        return fail(error, QStringLiteral("每一档报价都不大于 0，不能生成报价单：请检查费用表的金额和定价设置。"));
    CustomerQuote result;
    result.agency = agency;
    result.logoPath = logoPath;
    result.texts = texts;
    for (const QuoteBreak &b : quote.breaks) {
        result.prices.append({PayingText(b), DocumentPrice(b.price), DocumentPrice(b.child)});
        result.showChild = result.showChild || result.prices.last().child != result.prices.last().adult;
    }
    result.groupNote = groupNote(quote.breaks);
    if (quote.singleSupplement.units() > 0)
        result.singleSupplement = DocumentPrice(quote.singleSupplement);
    *out = result;
    return true;
}

QString AgencyContactLine(const AgencyDetails &agency)
{
    namespace T = CustomerQuoteText;
    auto part = [](const QString &label, const QString &value) {
        return value.trimmed().isEmpty() ? QString() : label + QStringLiteral("：") + value.trimmed();
    };
    QStringList second;
    for (const QString &text : {part(T::telephone(), agency.telephone), part(T::contact(), agency.contact),
                                part(T::licence(), agency.licence)}) {
        if (!text.isEmpty())
            second.append(text);
    }
    QStringList lines;
    if (!agency.address.trimmed().isEmpty())
        lines.append(part(T::address(), agency.address));
    if (!second.isEmpty())
        lines.append(second.join(QStringLiteral("　")));
    return lines.join(QLatin1Char('\n'));
}

QStringList QuoteHeadLines(const CustomerQuote &quote)
{
    namespace T = CustomerQuoteText;
    const QuoteTexts &t = quote.texts;
    QStringList lines;
    if (!t.quoteNumber.trimmed().isEmpty())
        lines.append(T::quoteNumber() + QStringLiteral("：") + t.quoteNumber.trimmed());
    if (t.issueDate.isValid()) {
        lines.append(T::issueDate() + QStringLiteral("：") + DocumentDate(t.issueDate));
        lines.append(T::validity(t.validUntil()));
    }
    if (!t.tourName.trimmed().isEmpty())
        lines.append(T::tourName() + QStringLiteral("：") + t.tourName.trimmed());
    if (!t.tourDate.trimmed().isEmpty())
        lines.append(T::tourDate() + QStringLiteral("：") + t.tourDate.trimmed());
    return lines;
}
