#include "common/NumberReading.h"

#include "common/LeadingNumber.h"
#include "common/NumberText.h"

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
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

NumberReading ExplainReading(QStringView text)
{
    NumberReading reading;
    qsizetype length = 0;
    reading.value = LeadingNumber(text, &length);
    QStringView tail = text.mid(length);
    while (!tail.isEmpty() && isBlank(tail.front().unicode()))
        tail = tail.mid(1);
    if (tail.isEmpty() || (length > 0 && isUnitWord(tail)))
        return reading;
    reading.whole = false;
    reading.explanation = length > 0 ? QStringLiteral("只读到 %1：%2").arg(NumberText(reading.value), why(tail, true))
                                     : QStringLiteral("读作 0：%1").arg(why(tail, false));
    return reading;
}
