#pragma once

#include "common/Amount.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

// How the price is made from the cost.
enum class SellingRule
{
    None,
    Markup, // a percentage on the cost
    Margin, // a percentage of the price
    Profit  // a fixed amount per head
};

// The selling rules by their keyword, in the order the window lists them, with the name of their
// value (the window's choice, and the name a message gives the value) and its unit.
struct SellingRuleName
{
    QLatin1String keyword;
    SellingRule rule;
    const char16_t *caption;
    const char16_t *unit;
};
inline const SellingRuleName SellingRuleNames[] = {
    {QLatin1String("none"), SellingRule::None, u"不加价", u""},
    {QLatin1String("markup"), SellingRule::Markup, u"成本加价", u"%"},
    {QLatin1String("margin"), SellingRule::Margin, u"毛利率", u"%"},
    {QLatin1String("profit"), SellingRule::Profit, u"每人利润", u"元"},
};

// Where the tax point applies: on the whole price (全额) or on the profit only (差额).
enum class TaxBase
{
    Price,
    Profit
};

// The settings of a group quote, read and checked.
struct QuoteSettings
{
    QList<int> sizes;  // paying guests per group size, in the order given
    int freeEvery = 0; // one free place for every N paying guests; 0 for none
    int staff = 0;     // escorts travelling at the group's cost
    bool roomsFollow = false;
    SellingRule rule = SellingRule::None;
    Amount ruleValue; // the markup or margin in per cent, or the profit per head in yuan
    Amount taxPercent;
    TaxBase taxBase = TaxBase::Price;
    Amount roundStep; // 0 for no rounding
    QStringList childExcludes{QStringLiteral("房")};
    // The categories of the room lines: their "间" factors follow the group, and they make the single
    // supplement. "间" in any other category (a private dining room, a meeting room) never moves.
    QStringList roomCategories{QStringLiteral("房")};
};

// The settings as typed (in the window), stored (in default.ini) or given (to quilvar-batch).
// Keywords: rooms "twin" or "fixed"; rule "none", "markup", "margin" or "profit"; tax base
// "price" or "profit"; child excludes and room categories a comma-separated list of categories
// (any texts). Numbers and lists read as a Chinese keyboard types them: full-width digits, "，"
// and "、" between the items, a trailing "%" on a percentage, a trailing separator; a size or a
// category given twice counts once.
struct QuoteSettingTexts
{
    QString sizes = QStringLiteral("15,20,25,30");
    QString freeEvery = QStringLiteral("0");
    QString staff = QStringLiteral("0");
    QString rooms = QStringLiteral("twin");
    QString rule = QStringLiteral("none");
    QString ruleValue = QStringLiteral("0");
    QString tax = QStringLiteral("0");
    QString taxBase = QStringLiteral("price");
    QString round = QStringLiteral("0");
    QString childExcludes = QStringLiteral("房");
    QString roomCategories = QStringLiteral("房");
};

// One setting: its text, and its key in default.ini's [Quote] section.
struct QuoteSettingField
{
    QString QuoteSettingTexts::*text;
    QLatin1String key;
};
// Every setting, in the order of the window and the file.
const QList<QuoteSettingField> &QuoteSettingFields();

// The most group sizes one quote prices: in the window, and for quilvar-batch.
constexpr int MaxWindowSizes = 12;
constexpr int MaxBatchSizes = 100;

// False, with a message in Chinese that names the setting as the planner knows it, for anything
// that is not a valid setting: a size that is not a whole number from 1 to 9999, a margin of 100
// or more, a negative or non-numeric value, an unknown keyword.
bool ParseQuoteSettings(const QuoteSettingTexts &texts, int maxSizes, QuoteSettings *settings, QString *error);
// Whether that one setting holds (a rule value is judged by its rule), with the message when not.
bool QuoteSettingHolds(const QuoteSettingTexts &texts, QString QuoteSettingTexts::*text, int maxSizes,
                       QString *error = nullptr);

// A plain decimal ("15", "6.5", at most four decimals) as an exact amount; false for anything else.
bool ParsePlainDecimal(const QString &text, Amount *value);
