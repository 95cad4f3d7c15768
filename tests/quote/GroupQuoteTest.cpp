#include "quote/GroupQuote.h"

#include "costline/Expression.h"
#include "sheet/CostSheet.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QRandomGenerator>

namespace {

struct Row
{
    const char16_t *category;
    const char16_t *expression;
    const char16_t *amount;
    bool ticked = true;
};

// The settings from their defaults, with "Key=value" pairs (the keys of default.ini) separated by "|";
// a key misspelt in a case fails it rather than leave the setting at its default.
QuoteSettingTexts texts(const char16_t *pairs)
{
    QuoteSettingTexts out;
    for (const QString &pair : q(pairs).split(u'|', Qt::SkipEmptyParts)) {
        bool known = false;
        for (const QuoteSettingField &field : QuoteSettingFields()) {
            if (pair.section(u'=', 0, 0) == field.key) {
                out.*field.text = pair.section(u'=', 1);
                known = true;
            }
        }
        EXPECT_TRUE(known) << "no setting " << pair.toStdString();
    }
    return out;
}

// Every key of the expected text ("key=value" separated by blanks) as the actual map has it.
void expectFigures(const QMap<QString, QString> &actual, const char16_t *expected)
{
    for (const QString &pair : q(expected).split(u' ')) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        EXPECT_TRUE(actual.contains(key)) << key.toStdString();
        EXPECT_EQ(actual.value(key).toStdString(), pair.section(QLatin1Char('='), 1).toStdString())
            << key.toStdString();
    }
}

struct Case
{
    const char *name;
    const char16_t *settings;
    std::vector<Row> rows;
    // "n.name=text" for a figure of break n (QuoteBreakFields, and "label" for PayingText),
    // "supplement=text", "overflowed=0|1", "flagged=row:amount:expression,…", separated by blanks.
    const char16_t *expected;
};

// A case by its name and settings, not the bytes of the struct, in ctest's list and in a failure.
void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name << ' ';
    PrintTo(QString::fromUtf16(c.settings), out);
}

const char16_t *const workedSettings = u"Sizes=15,20|FreeEvery=15|Staff=1|Rule=markup|RuleValue=15|Tax=6|Round=10";
const std::vector<Row> workedRows{
    {u"房", u"单价: 300.00 × 10间 × 5晚", u"15000"}, {u"餐", u"单价: 50.00 × 20人 × 9餐", u"9000"},
    {u"车", u"单价: 1200.00 × 6天", u"7200"},        {u"导游", u"单价: 300.00 × 6天", u"1800"},
    {u"景点门票", u"单价: 120.00 × 20人", u"2400"},  {u"车", u"单价: 99999.00", u"99999", false},
};

const Case cases[] = {
    {"WorkedExample", workedSettings, workedRows,
     u"0.label=15+1 0.free=1 0.travellers=17 0.rooms=9 0.cost=32190 0.costperhead=2146 0.price=2620 0.tax=148.3019 "
     u"0.profit=325.6981 0.margin=12.43 0.groupprice=39300 0.groupprofit=4885.4715 0.child=1520 1.label=20+1 "
     u"1.travellers=22 1.rooms=12 1.cost=39540 1.costperhead=1977 1.price=2410 1.tax=136.4151 1.profit=296.5849 "
     u"1.margin=12.31 1.groupprice=48200 1.groupprofit=5931.698 1.child=1320 supplement=920 overflowed=0 flagged="},
    {"FreePlacesBeyondTheGroup", u"Sizes=10|FreeEvery=15", workedRows,
     u"0.label=10 0.free=0 0.rooms=5 0.cost=22200 0.price=2220 0.margin=0 0.child=1470 supplement=750"},
    {"RoundingStepNotWhole",
     u"Sizes=3|Rooms=fixed|Round=0.3",
     {{u"车", u"单价: 100.00", u"100"}},
     u"0.costperhead=33.3333 0.price=33.6 0.profit=0.2667 0.margin=0.79 0.child=33.6"},
    {"MarginNearHundred",
     u"Sizes=1|Rooms=fixed|Rule=margin|RuleValue=99.99",
     {{u"车", u"单价: 100.00", u"100"}},
     u"0.price=1000000 0.profit=999900 0.margin=99.99"},
    {"NoRoomLines",
     u"Sizes=4|Rule=markup|RuleValue=10",
     {{u"车", u"单价: 100.00", u"100"}, {u"餐", u"单价: 10.00 × 2人", u"20"}},
     u"0.rooms=2 0.cost=140 0.price=38.5 0.child=38.5 supplement=0"},
    {"TaxOnProfitWithFixedProfit",
     u"Sizes=1|Rooms=fixed|Rule=profit|RuleValue=200|Tax=6|TaxBase=profit",
     {{u"车", u"单价: 1000.00", u"1000"}, {u"房", u"单价: 400.00 × 2间 × 3晚", u"2400"}},
     u"0.cost=3400 0.price=3612 0.tax=12 0.profit=200 0.margin=5.54 0.child=1212 supplement=600"},
    {"MarginRuleStaffBlankLinesNoExclusions",
     u"Sizes=2|Staff=1|Rooms=fixed|Rule=margin|RuleValue=20|ChildExcludes=",
     {{u"车", u"单价: 1000.00", u"1000"}, {u"餐", u"单价: 50.00 × 2人", u"100"}, {u"房", u"", u"100"}},
     u"0.travellers=3 0.cost=1250 0.price=781.25 0.profit=156.25 0.margin=20 0.child=781.25 supplement=0"},
    // Lines that cannot follow the group keep their amount at every size; a following line whose
    // amount was typed over is priced from its expression, and named.
    {"FixedAndFlaggedLines",
     u"Sizes=10,20",
     {{u"其它", u"按实际结算", u"8000"},
      {u"车", u"300*10*5", u"15000"},
      {u"房", u"单价:280.00 × 10间 × 2晚", u"5600"},
      {u"房", u"单价: 500.00 × 15间 × 5晚", u"35000"},
      {u"餐", u"单价: 50.00 × 20人", u"1000"},
      {u"车", u"单价: 1200.00 × 6天", u"7000"}},
     u"0.cost=48600 1.cost=61600 flagged=4:35000:37500 supplement=1250"},
    // "间" moves only in the room categories, which are any texts the planner files lines under.
    {"RoomCategories",
     u"Sizes=20|RoomCategories=房，住宿、|ChildExcludes=住宿",
     {{u"餐", u"单价: 500.00 × 1间", u"500"},
      {u"其它", u"单价: 2000.00 × 1间", u"2000"},
      {u"住宿", u"单价: 300.00 × 10间 × 5晚", u"15000"}},
     u"0.rooms=10 0.cost=17500 0.child=125 supplement=750"},
    {"BeyondTheMoneyRange",
     u"Sizes=1|Rooms=fixed",
     {{u"车", u"", u"900000000000000"}, {u"车", u"", u"900000000000000"}},
     u"0.cost=溢出 0.price=溢出 0.margin= 0.groupprofit=溢出 overflowed=1"},
    {"MarkupBeyondTheMoneyRange",
     u"Sizes=1|Rooms=fixed|Rule=markup|RuleValue=999999999999",
     {{u"车", u"单价: 100000.00", u"100000"}},
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
    ASSERT_TRUE(ParseQuoteSettings(texts(c.settings), MaxBatchSizes, &settings, &error)) << error.toStdString();
    QList<CostLine> rows;
    for (const Row &r : c.rows)
        rows.append({QString::number(rows.size() + 1), q(r.category), {}, q(r.expression), q(r.amount), r.ticked});
    const QList<CostLine> before = rows;

    const GroupQuote quote = ComputeGroupQuote(rows, settings);
    QStringList flagged;
    for (const FlaggedLine &line : quote.flagged)
        flagged.append(line.row + u':' + AmountToText(line.amount) + u':' + AmountToText(line.expression));
    QMap<QString, QString> actual{{QStringLiteral("supplement"), AmountToText(quote.singleSupplement)},
                                  {QStringLiteral("overflowed"), QString::number(quote.overflowed())},
                                  {QStringLiteral("flagged"), flagged.join(u',')}};
    for (qsizetype i = 0; i < quote.breaks.size(); ++i) {
        actual[QStringLiteral("%1.label").arg(i)] = PayingText(quote.breaks.at(i));
        for (const QuoteField &field : QuoteBreakFields(quote.breaks.at(i)))
            actual[QStringLiteral("%1.%2").arg(i).arg(field.name)] = field.text;
    }
    expectFigures(actual, c.expected);
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

// What a Chinese keyboard types reads as meant; a wrong value is named as the planner knows it.
TEST(QuoteSettings, ReadAsTyped)
{
    const std::tuple<const char *, const char16_t *, const char16_t *> cases[] = {
        {"FullWidthAndSeparators", u"Sizes=１５，２０、１５，|Tax=６％|Rule=markup|RuleValue=12.5%",
         u"sizes=15,20 tax=6 value=12.5"},
        {"CategoriesMerged", u"ChildExcludes=房、餐，房|RoomCategories=住宿,", u"child=房,餐 rooms=住宿"},
        {"MarginNamedAsTyped", u"Rule=margin|RuleValue=abc", u"error=毛利率“abc”应为 0 或更大的数，最多四位小数。"},
        {"MarginOfHundred", u"Rule=margin|RuleValue=100", u"error=毛利率“100”应小于 100。"},
        {"EmptyTax", u"Tax=", u"error=请填写税点。"},
        {"UnknownRule", u"Rule=Markup", u"error=定价方式“Markup”应为 none、markup、margin 或 profit。"},
        {"UnknownRooms", u"Rooms=FIXED", u"error=排房方式“FIXED”应为 twin 或 fixed。"},
        {"TooManySizes", u"Sizes=1,2,3,4,5,6,7,8,9,10,11,12,13,1", u"error=团队人数最多 12 档。"},
    };
    for (const auto &[name, given, expected] : cases) {
        SCOPED_TRACE(name);
        QuoteSettings settings;
        QString error;
        const bool read = ParseQuoteSettings(texts(given), MaxWindowSizes, &settings, &error);
        if (q(expected).startsWith(u"error=")) {
            EXPECT_EQ(error.toStdString(), q(expected).mid(6).toStdString());
            continue;
        }
        EXPECT_TRUE(read) << error.toStdString();
        QStringList sizes;
        for (int size : settings.sizes)
            sizes.append(QString::number(size));
        expectFigures({{QStringLiteral("sizes"), sizes.join(u',')},
                       {QStringLiteral("tax"), AmountToText(settings.taxPercent)},
                       {QStringLiteral("value"), AmountToText(settings.ruleValue)},
                       {QStringLiteral("child"), settings.childExcludes.join(u',')},
                       {QStringLiteral("rooms"), settings.roomCategories.join(u',')}},
                      expected);
    }
}

// A sheet made in the editor, where every "人" factor already counts the travellers and the rooms
// stay: the quote's cost is the sheet's total, to the last ten-thousandth, and nothing is flagged.
TEST(GroupQuote, CostIsTheSheetsTotalWhenNoFactorChanges)
{
    QRandomGenerator random(22);
    const QString units[] = {q(u"人"), q(u"间"), q(u"晚"), q(u"天"), q(u" 人"), q(u"人次")};
    for (int sheetNumber = 0; sheetNumber < 300; ++sheetNumber) {
        SCOPED_TRACE(sheetNumber);
        const int paying = random.bounded(1, 60), travellers = paying + paying / 15 + 1;
        CostSheet sheet;
        QList<CostLine> rows;
        for (int i = 0, count = random.bounded(1, 40); i < count; ++i) {
            const QString price = QString::number(random.bounded(0, 10000000) / 100.0, 'f', random.bounded(0, 3));
            QList<Factor> factors;
            for (int f = random.bounded(0, 4); f > 0; --f) {
                const QString &unit = units[random.bounded(6)];
                const int count = unit.trimmed() == q(u"人") ? travellers : random.bounded(0, 30);
                factors.append({QString::number(count), unit});
            }
            BuiltExpression built = BuildStrBds(price, factors);
            // Now and then a line the expression cannot price, or a blank one, with a typed amount.
            const int kind = random.bounded(10);
            if (kind == 0)
                built = {q(u"按实际结算"), Amount::fromUnits(random.bounded(0, 1 << 30))};
            else if (kind == 1)
                built.text.clear();
            const QString category = CostSheet::Categories().at(random.bounded(9));
            rows.append(
                {QString::number(i + 1), category, {}, built.text, AmountToText(built.amount), random.bounded(4) > 0});
        }
        sheet.replaceRows(rows);
        sheet.RefreshTotals();
        QuoteSettings settings;
        settings.sizes = {paying};
        settings.freeEvery = 15;
        settings.staff = 1;
        settings.roomsFollow = false;
        GroupCostCalculator kept;
        const GroupQuote quote = ComputeGroupQuote(sheet.rows(), settings, &kept);
        EXPECT_EQ(AmountToText(quote.breaks.first().cost), sheet.Text1());
        EXPECT_TRUE(quote.flagged.isEmpty());

        // One row edited as the window sees it: what the calculator kept gives what a fresh one gives.
        CostLine line = sheet.row(random.bounded(sheet.rowCount()) + 1);
        line.Category = q(u"房");
        line.AmountText = QString::number(random.bounded(1000));
        line.Included = true;
        sheet.setRow(line.Number.toInt(), line);
        const GroupQuote edited = ComputeGroupQuote(sheet.rows(), settings, &kept);
        const GroupQuote fresh = ComputeGroupQuote(sheet.rows(), settings);
        EXPECT_EQ(edited.breaks.first().cost, fresh.breaks.first().cost);
        EXPECT_EQ(edited.singleSupplement, fresh.singleSupplement);
        EXPECT_EQ(edited.flagged, fresh.flagged);
    }
}

} // namespace
