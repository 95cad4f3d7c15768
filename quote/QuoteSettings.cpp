#include "quote/QuoteSettings.h"

#include <QRegularExpression>

namespace {

using Texts = QuoteSettingTexts;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// What a Chinese keyboard types, as plain ASCII: full-width digits, points, percent signs and
// spaces, and "，" or "、" between the items of a list.
QString typed(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'．' || u == u'。')
            c = QLatin1Char('.');
        else if (u == u'，' || u == u'、')
            c = QLatin1Char(',');
        else if (u == u'％')
            c = QLatin1Char('%');
    }
    return out.trimmed(); // the ideographic space is a space to trimmed()
}

// The items of a list, without empty ones (a trailing separator) and without repeats.
QStringList items(const QString &text)
{
    QStringList out;
    for (const QString &item : typed(text).split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty() && !out.contains(trimmed))
            out.append(trimmed);
    }
    return out;
}

// A whole number from min to max.
bool parseWhole(const QString &text, int min, int max, int *value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString trimmed = typed(text);
    if (!digits.match(trimmed).hasMatch())
        return false;
    const int number = trimmed.toInt();
    if (number < min || number > max)
        return false;
    *value = number;
    return true;
}

// A percentage may end in "%".
bool parsePercent(const QString &text, Amount *value)
{
    QString number = typed(text);
    if (number.endsWith(QLatin1Char('%')))
        number.chop(1);
    return ParsePlainDecimal(number, value);
}

Amount percent(int whole)
{
    return Amount::fromUnits(qint64(whole) * Amount::Scale);
}

// "请填写…" for an empty text, the message for any other.
bool failFor(QString *error, const QString &text, const QString &caption, const QString &message)
{
    if (typed(text).isEmpty())
        return fail(error, QStringLiteral("请填写%1。").arg(caption));
    return fail(error, message.arg(typed(text)));
}

bool parseSizes(const Texts &texts, int maxSizes, QuoteSettings *out, QString *error)
{
    out->sizes.clear();
    const QStringList sizes = items(texts.sizes);
    if (sizes.isEmpty())
        return fail(error, QStringLiteral("请填写团队人数（付费人数，如 15,20,25,30）。"));
    for (const QString &size : sizes) {
        int paying = 0;
        if (!parseWhole(size, 1, 9999, &paying))
            return fail(error, QStringLiteral("团队人数“%1”应为 1 到 9999 的整数。").arg(size));
        if (!out->sizes.contains(paying))
            out->sizes.append(paying);
    }
    if (out->sizes.size() > maxSizes)
        return fail(error, QStringLiteral("团队人数最多 %1 档。").arg(maxSizes));
    return true;
}

bool parseFreeEvery(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    return parseWhole(texts.freeEvery, 0, 9999, &out->freeEvery) ||
           failFor(error, texts.freeEvery, QStringLiteral("免费名额"),
                   QStringLiteral("免费名额“%1”应为 0 到 9999 的整数（0 为不免）。"));
}

bool parseStaff(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    return parseWhole(texts.staff, 0, 9999, &out->staff) ||
           failFor(error, texts.staff, QStringLiteral("陪同人数"),
                   QStringLiteral("陪同人数“%1”应为 0 到 9999 的整数。"));
}

bool parseRooms(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    const QString rooms = texts.rooms.trimmed();
    out->roomsFollow = rooms == QLatin1String("twin");
    if (rooms.isEmpty())
        return fail(error, QStringLiteral("请选择是否房间按人数排。"));
    return out->roomsFollow || rooms == QLatin1String("fixed") ||
           fail(error, QStringLiteral("排房方式“%1”应为 twin 或 fixed。").arg(rooms));
}

bool parseRule(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    const QString rule = texts.rule.trimmed();
    for (const SellingRuleName &name : SellingRuleNames) {
        if (rule == name.keyword) {
            out->rule = name.rule;
            return true;
        }
    }
    if (rule.isEmpty())
        return fail(error, QStringLiteral("请选择定价方式。"));
    return fail(error, QStringLiteral("定价方式“%1”应为 none、markup、margin 或 profit。").arg(rule));
}

bool parseRuleValue(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    if (!parseRule(texts, 0, out, nullptr) || out->rule == SellingRule::None)
        return true; // no value to read; the rule has its own message
    QString caption;
    for (const SellingRuleName &name : SellingRuleNames) {
        if (name.rule == out->rule)
            caption = QString::fromUtf16(name.caption);
    }
    const bool read = out->rule == SellingRule::Profit ? ParsePlainDecimal(typed(texts.ruleValue), &out->ruleValue)
                                                       : parsePercent(texts.ruleValue, &out->ruleValue);
    if (!read)
        return failFor(error, texts.ruleValue, caption,
                       caption + QStringLiteral("“%1”应为 0 或更大的数，最多四位小数。"));
    // A margin of 100 % would make the price infinite.
    if (out->rule == SellingRule::Margin && out->ruleValue.units() >= percent(100).units())
        return fail(error, QStringLiteral("毛利率“%1”应小于 100。").arg(typed(texts.ruleValue)));
    return true;
}

bool parseTax(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    return (parsePercent(texts.tax, &out->taxPercent) && out->taxPercent.units() <= percent(100).units()) ||
           failFor(error, texts.tax, QStringLiteral("税点"),
                   QStringLiteral("税点“%1”应为 0 到 100 的数，最多四位小数。"));
}

bool parseTaxBase(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    const QString taxBase = texts.taxBase.trimmed();
    out->taxBase = taxBase == QLatin1String("profit") ? TaxBase::Profit : TaxBase::Price;
    if (taxBase.isEmpty())
        return fail(error, QStringLiteral("请选择计税方式。"));
    return taxBase == QLatin1String("price") || taxBase == QLatin1String("profit") ||
           fail(error, QStringLiteral("计税方式“%1”应为 price 或 profit。").arg(taxBase));
}

bool parseRound(const Texts &texts, int, QuoteSettings *out, QString *error)
{
    return ParsePlainDecimal(typed(texts.round), &out->roundStep) ||
           failFor(error, texts.round, QStringLiteral("报价取整"),
                   QStringLiteral("报价取整“%1”应为 0 或更大的数，最多四位小数（0 为不取整）。"));
}

// Categories are whatever texts the planner files the lines under.
bool parseChildExcludes(const Texts &texts, int, QuoteSettings *out, QString *)
{
    out->childExcludes = items(texts.childExcludes);
    return true;
}

bool parseRoomCategories(const Texts &texts, int, QuoteSettings *out, QString *)
{
    out->roomCategories = items(texts.roomCategories);
    return true;
}

struct FieldRule
{
    QuoteSettingField field;
    bool (*parse)(const Texts &, int maxSizes, QuoteSettings *, QString *);
};
const FieldRule fieldRules[] = {
    {{&Texts::sizes, QLatin1String("Sizes")}, parseSizes},
    {{&Texts::freeEvery, QLatin1String("FreeEvery")}, parseFreeEvery},
    {{&Texts::staff, QLatin1String("Staff")}, parseStaff},
    {{&Texts::rooms, QLatin1String("Rooms")}, parseRooms},
    {{&Texts::rule, QLatin1String("Rule")}, parseRule},
    {{&Texts::ruleValue, QLatin1String("RuleValue")}, parseRuleValue},
    {{&Texts::tax, QLatin1String("Tax")}, parseTax},
    {{&Texts::taxBase, QLatin1String("TaxBase")}, parseTaxBase},
    {{&Texts::round, QLatin1String("Round")}, parseRound},
    {{&Texts::childExcludes, QLatin1String("ChildExcludes")}, parseChildExcludes},
    {{&Texts::roomCategories, QLatin1String("RoomCategories")}, parseRoomCategories},
};

} // namespace

const QList<QuoteSettingField> &QuoteSettingFields()
{
    static const QList<QuoteSettingField> fields = [] {
        QList<QuoteSettingField> out;
        for (const FieldRule &rule : fieldRules)
            out.append(rule.field);
        return out;
    }();
    return fields;
}

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
    for (const FieldRule &rule : fieldRules) {
        if (!rule.parse(texts, maxSizes, &out, error))
            return false;
    }
    *settings = out;
    return true;
}

bool QuoteSettingHolds(const QuoteSettingTexts &texts, QString QuoteSettingTexts::*text, int maxSizes, QString *error)
{
    QuoteSettings scratch;
    for (const FieldRule &rule : fieldRules) {
        if (rule.field.text == text)
            return rule.parse(texts, maxSizes, &scratch, error);
    }
    return true;
}
