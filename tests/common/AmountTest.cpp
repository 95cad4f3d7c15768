#include "common/Amount.h"
#include "common/LeadingNumber.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr qint64 Max = std::numeric_limits<qint64>::max(), Min = std::numeric_limits<qint64>::min();

using ToText = std::pair<qint64, const char16_t *>;

TEST(Amount, ToTextWritesTheShortestDecimal)
{
    for (const auto &[units, text] :
         {ToText{0, u"0"}, ToText{12000000, u"1200"}, ToText{125000, u"12.5"}, ToText{3333333, u"333.3333"},
          ToText{5, u"0.0005"}, ToText{-5000, u"-0.5"}, ToText{-12345678, u"-1234.5678"}, ToText{1000100, u"100.01"},
          ToText{Max, u"922337203685477.5807"}, ToText{Min, u"-922337203685477.5808"}}) {
        SCOPED_TRACE(testing::PrintToString(units));
        EXPECT_EQ(AmountToText(Amount::fromUnits(units)), QString::fromUtf16(text));
    }
}

using FromDouble = std::pair<double, qint64>;

TEST(Amount, FromDoubleRoundsToTenThousandthsHalvesToEven)
{
    for (const auto &[value, units] :
         {FromDouble{0, 0}, FromDouble{33210, 332100000}, FromDouble{0.999, 9990}, FromDouble{1000.0 / 3, 3333333},
          FromDouble{-1000.0 / 3, -3333333}, FromDouble{2000.0 / 3, 6666667}, FromDouble{88.8 * 2.5, 2220000},
          // Halves go to the even neighbour, exact binary ones and decimal ones alike.
          FromDouble{1.0 / 32, 312}, FromDouble{3.0 / 32, 938}, FromDouble{-1.0 / 32, -312}, FromDouble{0.00025, 2},
          FromDouble{0.00075, 8}, FromDouble{-0.00025, -2}, FromDouble{0.00015, 2}, FromDouble{1.00005, 10000},
          FromDouble{12.34565, 123456}, FromDouble{12.34575, 123458}, FromDouble{123456789.12345, 1234567891234},
          // Near a half but not on it.
          FromDouble{0.000250001, 3}, FromDouble{0.000249999, 2}}) {
        SCOPED_TRACE(testing::PrintToString(value));
        const Amount amount = Amount::fromDouble(value);
        ASSERT_TRUE(amount.isValid());
        EXPECT_EQ(amount.units(), units) << value;
    }
}

TEST(Amount, OverflowIsStickyAndNeverWraps)
{
    for (double value : {1e15, -1e15, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_FALSE(Amount::fromDouble(value).isValid()) << value;
    EXPECT_TRUE(Amount::fromDouble(9e14).isValid());

    EXPECT_FALSE((Amount::fromUnits(Max) + Amount::fromUnits(1)).isValid());
    EXPECT_FALSE((Amount::fromUnits(Min) + Amount::fromUnits(-1)).isValid());
    EXPECT_EQ((Amount::fromUnits(Max) + Amount::fromUnits(-1)).units(), Max - 1);

    // Once overflowed, nothing brings the amount back to a number.
    const Amount over = Amount::overflowed();
    EXPECT_FALSE((over + Amount::fromUnits(-5)).isValid());
    EXPECT_FALSE(over.timesDouble(0.0).isValid());
    EXPECT_EQ(AmountToText(over), QStringLiteral("溢出"));
    EXPECT_FALSE(Amount::fromText(QStringLiteral(" 溢出 ")).isValid());
    EXPECT_FALSE(Amount::fromText(QStringLiteral("1e400")).isValid());
}

using Read = std::pair<const char16_t *, qint64>;

// Plain decimals, which fill the sheet, are read without going through a double; every text must
// still read as LeadingNumber and fromDouble read it, the ones just past the short way included.
TEST(Amount, FromTextReadsAsTheNumberRuleThenFromDouble)
{
    for (const auto &[text, units] :
         {Read{u"43500.5", 435005000}, Read{u"-0.0001", -1}, Read{u"5.", 50000}, Read{u"-0", 0}, Read{u"007", 70000},
          // Fifteen significant digits, the most a decimal is sure to keep through a double.
          Read{u"99999999999.9999", 999999999999999}, Read{u"-99999999999.9999", -999999999999999},
          // Seventeen: the double decides.
          Read{u"1234567890123.4567", 12345678901234568},
          // A fifth decimal rounds, halves to even; an exponent, a unit or a blank is read by the rule.
          Read{u"1.00015", 10002}, Read{u"1e3", 10000000}, Read{u"12.5元", 125000}, Read{u"1 000", 10000000},
          Read{u"+3", 30000}, Read{u".5", 5000}}) {
        SCOPED_TRACE(QString::fromUtf16(text).toStdString());
        const Amount read = Amount::fromText(QString::fromUtf16(text));
        EXPECT_EQ(read, Amount::fromDouble(LeadingNumber(text)));
        EXPECT_EQ(read.units(), units);
    }
}

TEST(Amount, AdditionIsExactAndTextAndDoubleAgree)
{
    Amount sum;
    for (int i = 0; i < 10; ++i)
        sum += Amount::fromDouble(0.1);
    EXPECT_EQ(sum.units(), 10000);
    EXPECT_EQ(AmountToText(Amount::fromText(QStringLiteral("100")) + Amount::fromText(QStringLiteral("33.5"))),
              QStringLiteral("133.5"));
    // The per-head value is computed from the sum or from the total's text; both must agree.
    for (qint64 units : {qint64(3333333), qint64(1), qint64(-99999999), qint64(9007199254740993)}) {
        const Amount a = Amount::fromUnits(units);
        EXPECT_EQ(Amount::fromText(AmountToText(a)).toDouble(), a.toDouble()) << units;
    }
}

struct MulDivCase
{
    const char *name;
    qint64 a, factor, divisor;
    int decimals;
    qint64 units;
};

TEST(Amount, MulDivIsExactUntilOneRoundingHalvesToEven)
{
    // Amounts in ten-thousandths: 10000 is one yuan.
    const MulDivCase cases[] = {
        {"a third", 10000000, 10000, 30000, 4, 3333333},
        {"two thirds round up", 20000000, 10000, 30000, 4, 6666667},
        {"a half unit to even below", 1, 10000, 20000, 4, 0},
        {"a half unit to even above", 3, 10000, 20000, 4, 2},
        {"negative half to even", -3, 10000, 20000, 4, -2},
        {"just over a half", 10001, 1, 20000, 4, 1},
        {"negative divisor", 10000, 10000, -30000, 4, -3333},
        {"markup 15 %", 1234567, 1150000, 1000000, 4, 1419752},
        {"two decimals, tie to even", 50, 10000, 10000, 2, 0},
        {"two decimals, tie to even above", 150, 10000, 10000, 2, 200},
        {"no product overflow before the division", Max, Max, Max, 4, Max},
    };
    for (const MulDivCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Amount result =
            Amount::fromUnits(c.a).mulDiv(Amount::fromUnits(c.factor), Amount::fromUnits(c.divisor), c.decimals);
        ASSERT_TRUE(result.isValid());
        EXPECT_EQ(result.units(), c.units);
    }
}

struct RoundUpCase
{
    const char *name;
    qint64 units, step, rounded;
};

TEST(Amount, SubtractionProductsAndRoundingUpStayExact)
{
    const RoundUpCase cases[] = {
        {"on a step", 100000, 50000, 100000},
        {"just over", 100001, 50000, 150000},
        {"negative goes toward zero", -70000, 50000, -50000},
        {"a step of 0 leaves it", 12345, 0, 12345},
        {"a step of a cent", 12341, 100, 12400},
    };
    for (const RoundUpCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Amount::fromUnits(c.units).roundUpTo(Amount::fromUnits(c.step)).units(), c.rounded);
    }
    EXPECT_EQ((Amount::fromUnits(5) - Amount::fromUnits(8)).units(), -3);
    EXPECT_EQ(Amount::fromUnits(-7).times(3).units(), -21);
    EXPECT_EQ(Amount::fromWhole(100).units(), 1000000);

    // Beyond the range, or from an overflowed amount, the result is overflowed.
    const Amount over = Amount::overflowed();
    for (const Amount &result :
         {Amount::fromUnits(Min) - Amount::fromUnits(1), Amount::fromUnits(Max).times(2), Amount::fromWhole(Max),
          Amount::fromUnits(1).mulDiv(Amount::fromUnits(1), Amount()),
          Amount::fromUnits(Max).mulDiv(Amount::fromUnits(Max), Amount::fromUnits(1)), over - Amount(), over.times(0),
          over.mulDiv(Amount::fromUnits(1), Amount::fromUnits(1)), over.roundUpTo(Amount::fromUnits(100))})
        EXPECT_FALSE(result.isValid());
}

} // namespace
