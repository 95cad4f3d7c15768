#include "common/NumberReading.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigitIn(char16_t c, int base)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0' < base;
    const char16_t lower = c | 0x20;
    return base == 16 && lower >= u'a' && lower <= u'f';
}

// Steps through the text as LeadingNumber does, blanks skipped wherever they stand.
struct Scan
{
    QStringView text;
    qsizetype at = 0;

    char16_t peek()
    {
        while (at < text.size() && isBlank(text[at].unicode()))
            ++at;
        return at < text.size() ? text[at].unicode() : 0;
    }
    qsizetype digits(int base)
    {
        qsizetype count = 0;
        while (isDigitIn(peek(), base)) {
            ++at;
            ++count;
        }
        return count;
    }
};

qsizetype radixLength(Scan scan)
{
    ++scan.at; // the "&"
    const char16_t kind = scan.peek() | 0x20;
    if (kind != u'h' && kind != u'o')
        return 0;
    ++scan.at;
    return scan.digits(kind == u'h' ? 16 : 8) ? scan.at : 0;
}

// Chinese numerals read as no number at all: 「三十」 gives 0, 「12万」 gives 12.
bool isChineseNumeral(QChar c)
{
    static const QString numerals = QStringLiteral("〇零一二两三四五六七八九十百千万亿壹贰叁肆伍陆柒捌玖拾佰仟");
    return numerals.contains(c);
}

bool isFullWidthDigit(QChar c)
{
    return c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19;
}

// A unit typed after the count (「30人」, 「2晚」): letters only, none of them a numeral.
bool isUnitWord(QStringView tail)
{
    for (const QChar c : tail) {
        if (!(c.isLetter() || isBlank(c.unicode()) || c == u'/') || isChineseNumeral(c))
            return false;
    }
    return true;
}

QString why(QStringView stop, bool anyRead)
{
    const QString first = stop.left(stop.size() > 1 && stop[0].isHighSurrogate() ? 2 : 1).toString();
    if (isFullWidthDigit(stop[0]))
        return QStringLiteral("“%1”是全角数字，请用半角数字").arg(first);
    if (isChineseNumeral(stop[0]))
        return QStringLiteral("“%1”是中文数字，请用阿拉伯数字").arg(first);
    return anyRead ? QStringLiteral("“%1” 之后的文字不算数").arg(first) : QStringLiteral("“%1” 不是数字").arg(first);
}

} // namespace

qsizetype LeadingNumberLength(QStringView text)
{
    Scan scan{text};
    if (scan.peek() == u'&')
        return radixLength(scan);
    if (scan.peek() == u'+' || scan.peek() == u'-')
        ++scan.at;
    qsizetype digits = scan.digits(10);
    if (scan.peek() == u'.') {
        ++scan.at;
        digits += scan.digits(10);
    }
    if (!digits)
        return 0;
    const qsizetype mantissaEnd = scan.at;
    const char16_t e = scan.peek() | 0x20;
    if (e == u'e' || e == u'd') {
        ++scan.at;
        if (scan.peek() == u'+' || scan.peek() == u'-')
            ++scan.at;
        if (scan.digits(10))
            return scan.at;
    }
    return mantissaEnd;
}

NumberReading ExplainReading(QStringView text)
{
    NumberReading reading;
    reading.value = LeadingNumber(text);
    const qsizetype length = LeadingNumberLength(text);
    Scan rest{text, length};
    rest.peek();
    const QStringView tail = text.mid(rest.at);
    if (tail.isEmpty() || (length > 0 && isUnitWord(tail)))
        return reading;
    reading.whole = false;
    reading.explanation = length > 0 ? QStringLiteral("只读到 %1：%2").arg(NumberText(reading.value), why(tail, true))
                                     : QStringLiteral("读作 0：%1").arg(why(tail, false));
    return reading;
}
