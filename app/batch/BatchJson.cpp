#include "app/batch/BatchJson.h"

#include "sheet/CostSheet.h"

namespace {

void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == '"') {
            out += QLatin1String("\\\"");
        } else if (u == '\\') {
            out += QLatin1String("\\\\");
        } else if (u == '\n') {
            out += QLatin1String("\\n");
        } else if (u == '\r') {
            out += QLatin1String("\\r");
        } else if (u == '\t') {
            out += QLatin1String("\\t");
        } else if (u < 0x20 || (c.isHighSurrogate() && !(i + 1 < n && text.at(i + 1).isLowSurrogate())) ||
                   (c.isLowSurrogate() && !(i > 0 && text.at(i - 1).isHighSurrogate()))) {
            // Control characters, and halves of a pair standing alone, which UTF-8 cannot carry.
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

void appendRows(QString &out, const CostSheet &sheet)
{
    out += QStringLiteral("\"rows\":[");
    bool first = true;
    for (const CostLine &line : sheet.rows()) {
        if (!first)
            out += QLatin1Char(',');
        first = false;
        out += QLatin1String("{\"number\":");
        appendJsonString(out, line.Number);
        out += line.Included ? QLatin1String(",\"included\":true") : QLatin1String(",\"included\":false");
        out += QLatin1String(",\"category\":");
        appendJsonString(out, line.Category);
        out += QLatin1String(",\"content\":");
        appendJsonString(out, line.Content);
        out += QLatin1String(",\"expression\":");
        appendJsonString(out, line.Expression);
        out += QLatin1String(",\"amount\":");
        appendJsonString(out, line.AmountText);
        out += QLatin1Char('}');
    }
    out += QLatin1Char(']');
}

void appendBreaks(QString &out, const QList<PriceBreak> &breaks)
{
    out += QLatin1String(",\"breaks\":[");
    for (qsizetype i = 0; i < breaks.size(); ++i) {
        out += QLatin1String(i ? ",{\"headcount\":" : "{\"headcount\":");
        appendJsonString(out, breaks.at(i).headCount);
        out += QLatin1String(",\"total\":");
        appendJsonString(out, breaks.at(i).total);
        out += QLatin1String(",\"perhead\":");
        appendJsonString(out, breaks.at(i).perHead);
        out += QLatin1Char('}');
    }
    out += QLatin1Char(']');
}

// "quote":{"flagged":[…],"breaks":[…],"singlesupplement":"…"}
void appendQuote(QString &out, const GroupQuote &quote)
{
    out += QLatin1String(",\"quote\":{\"flagged\":[");
    for (qsizetype i = 0; i < quote.flagged.size(); ++i) {
        const FlaggedLine &line = quote.flagged.at(i);
        out += QLatin1String(i ? ",{\"row\":" : "{\"row\":");
        appendJsonString(out, line.row);
        out += QLatin1String(",\"amount\":");
        appendJsonString(out, AmountToText(line.amount));
        out += QLatin1String(",\"expression\":");
        appendJsonString(out, AmountToText(line.expression));
        out += QLatin1Char('}');
    }
    out += QLatin1String("],\"breaks\":[");
    for (qsizetype i = 0; i < quote.breaks.size(); ++i) {
        out += QLatin1String(i ? ",{" : "{");
        bool firstField = true;
        for (const QuoteField &field : QuoteBreakFields(quote.breaks.at(i))) {
            if (!firstField)
                out += QLatin1Char(',');
            firstField = false;
            appendJsonString(out, field.name);
            out += QLatin1Char(':');
            appendJsonString(out, field.text);
        }
        out += QLatin1Char('}');
    }
    out += QLatin1String("],\"singlesupplement\":");
    appendJsonString(out, AmountToText(quote.singleSupplement));
    out += QLatin1Char('}');
}

} // namespace

QString SheetJson(const CostSheet &sheet, const QList<PriceBreak> &breaks, const std::optional<GroupQuote> &quote)
{
    QString out = QStringLiteral("{");
    appendRows(out, sheet);
    out += QLatin1String(",\"total\":");
    appendJsonString(out, sheet.Text1());
    out += QLatin1String(",\"headcount\":");
    appendJsonString(out, sheet.Text3());
    out += QLatin1String(",\"perhead\":");
    appendJsonString(out, sheet.Text4());
    if (!breaks.isEmpty())
        appendBreaks(out, breaks);
    if (quote)
        appendQuote(out, *quote);
    out += QLatin1Char('}');
    return out;
}
