#include "costline/Expression.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

namespace {

const auto f = [](const char16_t *count, const char16_t *unit) { return Factor{q(count), q(unit)}; };

using BuildCase = std::tuple<const char16_t *, QList<Factor>, const char16_t *, const char16_t *>;

TEST(BuildStrBds, BuildsTextAndAmount)
{
    for (const auto &[price, factors, text, amount] :
         {BuildCase{u"123",
                    {f(u"45", u"间"), f(u"6", u"天"), f(u"1", u"人"), f(u"", u"晚")},
                    u"单价: 123.00 × 45间 × 6天",
                    u"33210"},
          BuildCase{u"88.8", {f(u"2.5", u"小时"), f(u"3", u"人")}, u"单价: 88.80 × 2.5小时 × 3人", u"666"},
          // The amount takes the price to four places while the text shows two.
          BuildCase{u"0.333", {f(u"3", u"次")}, u"单价: 0.33 × 3次", u"0.999"},
          BuildCase{u"", {f(u"2", u"间")}, u"单价: 0.00 × 2间", u"0"},
          BuildCase{u"100", {f(u"1", u"人")}, u"单价: 100.00", u"100"},
          BuildCase{u"100", {f(u"1.0", u"人"), f(u"01", u"人")}, u"单价: 100.00", u"100"},
          BuildCase{u"100", {f(u"0", u"人"), f(u"abc", u"天"), f(u".", u"晚"), f(u"", u"间")}, u"单价: 100.00", u"100"},
          BuildCase{u"10", {f(u" 4 5", u"间"), f(u"4.50", u"天")}, u"单价: 10.00 × 45间 × 4.5天", u"2025"},
          BuildCase{u"50", {f(u"-2", u"间")}, u"单价: 50.00 × -2间", u"-100"},
          // A unit typed into the count box while the unit box is empty is the unit word.
          BuildCase{u"60",
                    {f(u"30人", u""), f(u" 2.5 晚", u""), f(u"3人", u"位"), f(u"人", u"")},
                    u"单价: 60.00 × 30人 × 2.5 晚 × 3位",
                    u"13500"},
          // Unit words are kept verbatim, blanks included.
          BuildCase{u"5", {f(u"2", u" 人 ")}, u"单价: 5.00 × 2 人 ", u"10"}, BuildCase{u"abc", {}, u"单价: 0.00", u"0"},
          BuildCase{u"1.005", {}, u"单价: 1.01", u"1.005"},
          // Beyond the amount range the amount says so instead of wrapping.
          BuildCase{u"900000000000000", {f(u"2", u"间")}, u"单价: 900000000000000.00 × 2间", u"溢出"},
          BuildCase{u"1e400", {}, u"单价: 1E+309", u"溢出"}}) {
        SCOPED_TRACE(testing::PrintToString(q(text)));
        const BuiltExpression built = BuildStrBds(q(price), factors);
        EXPECT_EQ(built.text, q(text));
        EXPECT_EQ(AmountToText(built.amount), q(amount));
    }
}

using ParseCase = std::pair<const char16_t *, QList<StrBdsSegment>>;

const auto price = [](const char16_t *text) { return StrBdsSegment{StrBdsSegment::Price, q(text), {}}; };
const auto factor = [](const char16_t *count, const char16_t *unit) {
    return StrBdsSegment{StrBdsSegment::FactorSegment, {}, f(count, unit)};
};

TEST(ParseStrBds, ReadsSegmentsInTextOrder)
{
    for (const auto &[text, segments] :
         {ParseCase{u"单价: 123.00 × 45间 × 6天", {price(u"123"), factor(u"45", u"间"), factor(u"6", u"天")}},
          ParseCase{u"单价: 88.80", {price(u"88.8")}}, ParseCase{u"单价: 123.45", {price(u"123.45")}},
          ParseCase{u"单价:123.00 × 45间", {factor(u"0", u"单价:123.00"), factor(u"45", u"间")}},
          ParseCase{u"123.00 × 45间", {factor(u"123", u""), factor(u"45", u"间")}},
          ParseCase{u"单价: 123.00×45间", {price(u"123")}},
          ParseCase{u"单价: 123.00  ×  45间", {price(u"123"), factor(u"0", u" 45间")}},
          ParseCase{u"单价:  123.45", {price(u"123.45")}},
          ParseCase{u"单价: 1,200.00 × 2间", {price(u"1"), factor(u"2", u"间")}},
          ParseCase{u"单价: 50 × 2.5.1天", {price(u"50"), factor(u"2.5", u"天")}},
          ParseCase{u"单价: 50 × 天", {price(u"50"), factor(u"0", u"天")}},
          ParseCase{u"45间 × 单价: 10.00", {factor(u"45", u"间"), price(u"10")}},
          ParseCase{u"单价: 5 × -2间", {price(u"5"), factor(u"0", u"-2间")}},
          ParseCase{u"单价: 5 × 045间 × 2.50天", {price(u"5"), factor(u"45", u"间"), factor(u"2.5", u"天")}},
          ParseCase{u"单价: 5 × 2a × b", {price(u"5"), factor(u"2", u"a"), factor(u"0", u"b")}},
          ParseCase{u"单价: 5 ×  × ", {price(u"5"), factor(u"0", u""), factor(u"0", u"")}},
          ParseCase{u"单价: 1 × 单价: 2", {price(u"1"), price(u"2")}}}) {
        SCOPED_TRACE(testing::PrintToString(q(text)));
        EXPECT_EQ(ParseStrBds(q(text)), segments) << q(text).toStdString();
    }
}

TEST(SplitStrBds, EmptyPiecesCountAndComparisonIsExact)
{
    // Overlapping separators make one cut; a Latin x is no separator.
    for (const auto &[text, count] : {std::pair(u"a ×  × b", 3), std::pair(u"a × × b", 2), std::pair(u"", 1),
                                      std::pair(u"a x b", 1), std::pair(u"a ×b", 1)})
        EXPECT_EQ(SplitStrBds(text).size(), count) << q(text).toStdString();
    const auto pieces = SplitStrBds(u" × ");
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_TRUE(pieces[0].isEmpty() && pieces[1].isEmpty());
}

} // namespace
