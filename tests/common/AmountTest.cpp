#include "common/Amount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct ToTextCase
{
    qint64 units;
    const char16_t *text;
};

TEST(Amount, ToTextWritesTheShortestDecimal)
{
    for (const ToTextCase &c : {ToTextCase{0, u"0"}, ToTextCase{12000000, u"1200"}, ToTextCase{125000, u"12.5"},
                                ToTextCase{3333333, u"333.3333"}, ToTextCase{5, u"0.0005"}, ToTextCase{-5000, u"-0.5"},
                                ToTextCase{-12345678, u"-1234.5678"}, ToTextCase{1000100, u"100.01"},
                                ToTextCase{std::numeric_limits<qint64>::max(), u"922337203685477.5807"},
                                ToTextCase{std::numeric_limits<qint64>::min(), u"-922337203685477.5808"}})
        EXPECT_EQ(AmountToText(Amount::fromUnits(c.units)), QString::fromUtf16(c.text));
}

struct FromDoubleCase
{
    double value;
    qint64 units;
};

TEST(Amount, FromDoubleRoundsToTenThousandthsHalvesToEven)
{
    for (const FromDoubleCase &c :
         {FromDoubleCase{0, 0}, FromDoubleCase{33210, 332100000}, FromDoubleCase{0.999, 9990},
          FromDoubleCase{1000.0 / 3, 3333333}, FromDoubleCase{-1000.0 / 3, -3333333},
          FromDoubleCase{2000.0 / 3, 6666667}, FromDoubleCase{88.8 * 2.5, 2220000},
          // Halves go to the even neighbour, exact binary ones and decimal ones alike.
          FromDoubleCase{1.0 / 32, 312}, FromDoubleCase{3.0 / 32, 938}, FromDoubleCase{-1.0 / 32, -312},
          FromDoubleCase{0.00025, 2}, FromDoubleCase{0.00075, 8}, FromDoubleCase{-0.00025, -2},
          FromDoubleCase{0.00015, 2}, FromDoubleCase{1.00005, 10000}, FromDoubleCase{12.34565, 123456},
          FromDoubleCase{12.34575, 123458}, FromDoubleCase{123456789.12345, 1234567891234},
          // Near a half but not on it.
          FromDoubleCase{0.000250001, 3}, FromDoubleCase{0.000249999, 2}}) {
        const Amount amount = Amount::fromDouble(c.value);
        ASSERT_TRUE(amount.isValid());
        EXPECT_EQ(amount.units(), c.units) << c.value;
    }
}

TEST(Amount, OverflowIsStickyAndNeverWraps)
{
    EXPECT_FALSE(Amount::fromDouble(1e15).isValid());
    EXPECT_FALSE(Amount::fromDouble(-1e15).isValid());
    EXPECT_FALSE(Amount::fromDouble(std::numeric_limits<double>::infinity()).isValid());
    EXPECT_FALSE(Amount::fromDouble(std::nan("")).isValid());
    EXPECT_TRUE(Amount::fromDouble(9e14).isValid());

    const Amount max = Amount::fromUnits(std::numeric_limits<qint64>::max());
    EXPECT_FALSE((max + Amount::fromUnits(1)).isValid());
    EXPECT_FALSE((Amount::fromUnits(std::numeric_limits<qint64>::min()) + Amount::fromUnits(-1)).isValid());
    EXPECT_EQ((max + Amount::fromUnits(-1)).units(), std::numeric_limits<qint64>::max() - 1);

    // Once overflowed, nothing brings the amount back to a number.
    const Amount over = Amount::overflowed();
    EXPECT_FALSE((over + Amount::fromUnits(-5)).isValid());
    EXPECT_FALSE(over.timesDouble(0.0).isValid());
    EXPECT_EQ(AmountToText(over), QStringLiteral("溢出"));
    EXPECT_FALSE(Amount::fromText(QStringLiteral(" 溢出 ")).isValid());
    EXPECT_FALSE(Amount::fromText(QStringLiteral("1e400")).isValid());
}

TEST(Amount, AdditionIsExact)
{
    Amount sum;
    for (int i = 0; i < 10; ++i)
        sum += Amount::fromDouble(0.1);
    EXPECT_EQ(sum.units(), 10000);
    EXPECT_EQ(AmountToText(Amount::fromText(QStringLiteral("100")) + Amount::fromText(QStringLiteral("33.5"))),
              QStringLiteral("133.5"));
}

TEST(Amount, TextAndDoubleAgree)
{
    // The per-head value is computed from the sum or from the total's text; both must agree.
    for (qint64 units : {qint64(3333333), qint64(1), qint64(-99999999), qint64(9007199254740993)}) {
        const Amount a = Amount::fromUnits(units);
        EXPECT_EQ(Amount::fromText(AmountToText(a)).toDouble(), a.toDouble()) << units;
    }
}

} // namespace
