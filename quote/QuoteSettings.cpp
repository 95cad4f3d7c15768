#include "quote/QuoteSettings.h"

#include "common/Spaces.h"
#include "sheet/CostSheet.h"

#include <QRegularExpression>

namespace {

bool fail(QString *error, const QString &message)
{
    *error = message;
    return false;
}

// A whole number from min to max, spaces around it allowed.
bool parseWhole(const QString &text, int min, int max, int *value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString trimmed = text.trimmed();
    if (!digits.match(trimmed).hasMatch())
        return false;
    const int number = trimmed.toInt();
    if (number < min || number > max)
        return false;
    *value = number;
    return true;
}

Amount percent(int whole)
{
    return Amount::fromUnits(qint64(whole) * Amount::Scale);
}

// The group sizes, the free places, the staff and how the rooms follow.
bool parseGroup(const QuoteSettingTexts &texts, int maxSizes, QuoteSettings &out, QString *error)
{
    const QStringList sizes = texts.sizes.split(QLatin1Char(','));
    if (sizes.size() > maxSizes)
        return fail(error, QStringLiteral("团队人数最多 %1 档。").arg(maxSizes));
    for (const QString &size : sizes) {
        int paying = 0;
        if (!parseWhole(size, 1, 9999, &paying))
            return fail(error, QStringLiteral("团队人数“%1”不是 1 到 9999 的整数。").arg(size.trimmed()));
        out.sizes.append(paying);
    }
    if (!parseWhole(texts.freeEvery, 0, 9999, &out.freeEvery))
        return fail(error, QStringLiteral("免费名额“%1”不是 0 到 9999 的整数。").arg(texts.freeEvery.trimmed()));
    if (!parseWhole(texts.staff, 0, 9999, &out.staff))
        return fail(error, QStringLiteral("陪同人数“%1”不是 0 到 9999 的整数。").arg(texts.staff.trimmed()));

    const QString rooms = texts.rooms.trimmed();
    if (rooms != QLatin1String("twin") && rooms != QLatin1String("fixed"))
        return fail(error, QStringLiteral("排房方式“%1”应为 twin 或 fixed。").arg(rooms));
    out.roomsFollow = rooms == QLatin1String("twin");
    return true;
}

// The selling rule and its value.
bool parseRule(const QuoteSettingTexts &texts, QuoteSettings &out, QString *error)
{
    const QString rule = texts.rule.trimmed();
    const std::pair<QLatin1String, SellingRule> rules[] = {{QLatin1String("none"), SellingRule::None},
                                                           {QLatin1String("markup"), SellingRule::Markup},
                                                           {QLatin1String("margin"), SellingRule::Margin},
                                                           {QLatin1String("profit"), SellingRule::Profit}};
    bool knownRule = false;
    for (const auto &[name, value] : rules) {
        if (rule == name) {
            out.rule = value;
            knownRule = true;
        }
    }
    if (!knownRule)
        return fail(error, QStringLiteral("定价方式“%1”应为 none、markup、margin 或 profit。").arg(rule));
    if (out.rule != SellingRule::None) {
        if (!ParsePlainDecimal(texts.ruleValue, &out.ruleValue))
            return fail(error,
                        QStringLiteral("加价“%1”不是不小于 0 的数（最多四位小数）。").arg(texts.ruleValue.trimmed()));
        // A margin of 100 % would make the price infinite.
        if (out.rule == SellingRule::Margin && out.ruleValue.units() >= percent(100).units())
            return fail(error, QStringLiteral("毛利率“%1”必须小于 100。").arg(texts.ruleValue.trimmed()));
    }
    return true;
}

// The tax, what it is reckoned on, and the rounding step.
bool parseTax(const QuoteSettingTexts &texts, QuoteSettings &out, QString *error)
{
    if (!ParsePlainDecimal(texts.tax, &out.taxPercent) || out.taxPercent.units() > percent(100).units())
        return fail(error, QStringLiteral("税点“%1”不是 0 到 100 的数（最多四位小数）。").arg(texts.tax.trimmed()));
    const QString taxBase = texts.taxBase.trimmed();
    if (taxBase != QLatin1String("price") && taxBase != QLatin1String("profit"))
        return fail(error, QStringLiteral("计税方式“%1”应为 price 或 profit。").arg(taxBase));
    out.taxBase = taxBase == QLatin1String("price") ? TaxBase::Price : TaxBase::Profit;
    if (!ParsePlainDecimal(texts.round, &out.roundStep))
        return fail(error, QStringLiteral("取整“%1”不是不小于 0 的数（最多四位小数）。").arg(texts.round.trimmed()));
    return true;
}

// The sheet's categories the child's price leaves out.
bool parseChildExcludes(const QuoteSettingTexts &texts, QuoteSettings &out, QString *error)
{
    out.childExcludes.clear();
    if (!IsBlank(texts.childExcludes)) {
        for (const QString &item : texts.childExcludes.split(QLatin1Char(','))) {
            const QString category = item.trimmed();
            if (!CostSheet::Categories().contains(category))
                return fail(error, QStringLiteral("儿童价不含的项目“%1”不是报价表的项目（%2）。")
                                       .arg(category, CostSheet::Categories().join(QStringLiteral("、"))));
            out.childExcludes.append(category);
        }
    }
    return true;
}

} // namespace

bool ParsePlainDecimal(const QString &text, Amount *value)
{
    static const QRegularExpression plain(QStringLiteral("^([0-9]{1,12})(?:\\.([0-9]{1,4}))?$"));
    const QRegularExpressionMatch match = plain.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    const QString fraction = match.captured(2).leftJustified(4, QLatin1Char('0'));
    *value = Amount::fromUnits(match.captured(1).toLongLong() * Amount::Scale + fraction.toLongLong());
    return true;
}

bool ParseQuoteSettings(const QuoteSettingTexts &texts, int maxSizes, QuoteSettings *settings, QString *error)
{
    QuoteSettings out;
    if (!parseGroup(texts, maxSizes, out, error) || !parseRule(texts, out, error) || !parseTax(texts, out, error) ||
        !parseChildExcludes(texts, out, error))
        return false;
    *settings = out;
    return true;
}
