#include "quote/GroupQuote.h"

#include "sheet/CostLine.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

struct Row
{
    const char16_t *category;
    const char16_t *expression;
    const char16_t *amount = u"";
    bool ticked = true;
};

struct Case
{
    const char *name;
    QuoteSettingTexts settings;
    std::vector<Row> rows;
    // "n.name=text" for a figure of break n (QuoteBreakFields, and "label" for PayingText),
    // "supplement=text", "overflowed=0|1", separated by blanks.
    const char16_t *expected;
};

const std::vector<Row> workedRows{
    {u"房", u"单价: 300.00 × 10间 × 5晚"}, {u"餐", u"单价: 50.00 × 20人 × 9餐"},
    {u"车", u"单价: 1200.00 × 6天"},       {u"导游", u"单价: 300.00 × 6天"},
    {u"景点门票", u"单价: 120.00 × 20人"}, {u"车", u"单价: 99999.00", u"99999", false},
};

QuoteSettingTexts texts(const char16_t *sizes, const char16_t *foc, const char16_t *staff, const char16_t *rooms,
                        const char16_t *rule, const char16_t *value, const char16_t *tax, const char16_t *base,
                        const char16_t *round, const char16_t *child = u"房")
{
    return {q(sizes), q(foc), q(staff), q(rooms), q(rule), q(value), q(tax), q(base), q(round), q(child)};
}

const Case cases[] = {
    {"WorkedExample", texts(u"15,20", u"15", u"1", u"twin", u"markup", u"15", u"6", u"price", u"10"), workedRows,
     u"0.label=15+1 0.free=1 0.travellers=17 0.rooms=9 0.cost=32190 0.costperhead=2146 0.price=2620 0.tax=148.3019 "
     u"0.profit=325.6981 0.margin=12.43 0.groupprice=39300 0.groupprofit=4885.4715 0.child=1520 1.label=20+1 "
     u"1.travellers=22 1.rooms=12 1.cost=39540 1.costperhead=1977 1.price=2410 1.tax=136.4151 1.profit=296.5849 "
     u"1.margin=12.31 1.groupprice=48200 1.groupprofit=5931.698 1.child=1320 supplement=920 overflowed=0"},
    {"FreePlacesBeyondTheGroup", texts(u"10", u"15", u"0", u"twin", u"none", u"", u"0", u"price", u"0"), workedRows,
     u"0.label=10 0.free=0 0.rooms=5 0.cost=22200 0.price=2220 0.margin=0 0.child=1470 supplement=750"},
    {"RoundingStepNotWhole",
     texts(u"3", u"0", u"0", u"fixed", u"none", u"", u"0", u"price", u"0.3"),
     {{u"车", u"单价: 100.00"}},
     u"0.costperhead=33.3333 0.price=33.6 0.profit=0.2667 0.margin=0.79 0.child=33.6"},
    {"MarginNearHundred",
     texts(u"1", u"0", u"0", u"fixed", u"margin", u"99.99", u"0", u"price", u"0"),
     {{u"车", u"单价: 100.00"}},
     u"0.price=1000000 0.profit=999900 0.margin=99.99"},
    {"NoRoomLines",
     texts(u"4", u"0", u"0", u"twin", u"markup", u"10", u"0", u"price", u"0"),
     {{u"车", u"单价: 100.00"}, {u"餐", u"单价: 10.00 × 2人"}},
     u"0.rooms=2 0.cost=140 0.price=38.5 0.child=38.5 supplement=0"},
    {"TaxOnProfitWithFixedProfit",
     texts(u"1", u"0", u"0", u"fixed", u"profit", u"200", u"6", u"profit", u"0"),
     {{u"车", u"单价: 1000.00"}, {u"房", u"单价: 400.00 × 2间 × 3晚"}},
     u"0.cost=3400 0.price=3612 0.tax=12 0.profit=200 0.margin=5.54 0.child=1212 supplement=600"},
    {"MarginRuleStaffBlankLinesNoExclusions",
     texts(u"2", u"0", u"1", u"fixed", u"margin", u"20", u"0", u"price", u"0", u""),
     {{u"车", u"单价: 1000.00"}, {u"餐", u"单价: 50.00 × 2人"}, {u"房", u"", u"100"}},
     u"0.travellers=3 0.cost=1250 0.price=781.25 0.profit=156.25 0.margin=20 0.child=781.25 supplement=0"},
    {"BeyondTheMoneyRange",
     texts(u"1", u"0", u"0", u"fixed", u"none", u"", u"0", u"price", u"0"),
     {{u"车", u"", u"900000000000000"}, {u"车", u"", u"900000000000000"}},
     u"0.cost=溢出 0.price=溢出 0.margin= 0.groupprofit=溢出 overflowed=1"},
    {"MarkupBeyondTheMoneyRange",
     texts(u"1", u"0", u"0", u"fixed", u"markup", u"999999999999", u"0", u"price", u"0"),
     {{u"车", u"单价: 100000.00"}},
     u"0.cost=100000 0.price=溢出 0.child=溢出 overflowed=1"},
};

class GroupQuoteTest : public testing::TestWithParam<Case>
{
};

TEST_P(GroupQuoteTest, Figures)
{
    const Case &c = GetParam();
    QuoteSettings settings;
    QString error;
    ASSERT_TRUE(ParseQuoteSettings(c.settings, MaxBatchSizes, &settings, &error)) << error.toStdString();
    QList<CostLine> rows;
    for (const Row &r : c.rows)
        rows.append({QString(), q(r.category), QString(), q(r.expression), q(r.amount), r.ticked});
    const QList<CostLine> before = rows;

    const GroupQuote quote = ComputeGroupQuote(rows, settings);
    QMap<QString, QString> actual{{QStringLiteral("supplement"), AmountToText(quote.singleSupplement)},
                                  {QStringLiteral("overflowed"), QString::number(quote.overflowed())}};
    for (qsizetype i = 0; i < quote.breaks.size(); ++i) {
        actual[QStringLiteral("%1.label").arg(i)] = PayingText(quote.breaks.at(i));
        for (const QuoteField &field : QuoteBreakFields(quote.breaks.at(i)))
            actual[QStringLiteral("%1.%2").arg(i).arg(field.name)] = field.text;
    }
    for (const QString &pair : q(c.expected).split(u' ')) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        EXPECT_TRUE(actual.contains(key)) << key.toStdString();
        EXPECT_EQ(actual.value(key).toStdString(), pair.section(QLatin1Char('='), 1).toStdString())
            << key.toStdString();
    }
    EXPECT_EQ(rows, before);
}

INSTANTIATE_TEST_SUITE_P(Cases, GroupQuoteTest, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(GroupQuote, RoomsOnlyWhenTheyFollowTheGroup)
{
    QuoteSettings settings;
    settings.sizes = {2};
    QStringList names;
    for (const QuoteField &field : QuoteBreakFields(ComputeGroupQuote({}, settings).breaks.first()))
        names.append(field.name);
    EXPECT_EQ(names.join(QLatin1Char(',')),
              QStringLiteral("paying,free,staff,travellers,cost,costperhead,price,tax,profit,margin,groupprice,"
                             "groupprofit,child"));
}

} // namespace
