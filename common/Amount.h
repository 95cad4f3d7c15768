#pragma once

#include <QString>
#include <QtGlobal>

// A money value in yuan: a signed 64-bit count of ten-thousandths (about ±9.22 × 10^14 yuan).
//
// A value that cannot be held — a product or sum beyond the range, or a number that is not
// finite — becomes the overflowed amount instead of a wrapped or clamped number. It is sticky:
// every sum or product that takes part of it is overflowed too, so a total can never silently
// leave out a line that overflowed. Its text is OverflowText ("溢出"), and that text reads back
// as the overflowed amount (fromText), so the marker survives a trip through the sheet's cells.
class Amount
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Amount() = default;
    static constexpr Amount fromUnits(qint64 tenThousandths) { return Amount(tenThousandths, true); }
    static constexpr Amount overflowed() { return Amount(0, false); }
    // A whole number of yuan; overflowed beyond the range.
    static Amount fromWhole(qint64 yuan);

    // Four decimal places; a value halfway between two ten-thousandths goes to the even
    // neighbour. Halfway is judged on the decimal the double stands for (0.00025 is a tie),
    // not on its binary error. Non-finite or out-of-range values give the overflowed amount.
    static Amount fromDouble(double value);
    // LeadingNumber of the text converted by fromDouble; the overflow text gives the overflowed amount.
    static Amount fromText(const QString &text);

    constexpr bool isValid() const { return m_valid; }
    constexpr qint64 units() const { return m_units; }
    // The double nearest to the exact decimal value (units / 10000, correctly rounded).
    double toDouble() const;

    // Exact; overflowed when the result leaves the range.
    Amount operator+(Amount other) const;
    Amount &operator+=(Amount other) { return *this = *this + other; }
    Amount operator-(Amount other) const;
    // this × count, exact.
    Amount times(qint64 count) const;
    // this × factor ÷ divisor, exact until the one rounding to `decimals` places (at most four),
    // halves to the even neighbour. Overflowed for a divisor of 0.
    Amount mulDiv(Amount factor, Amount divisor, int decimals = 4) const;
    // Up to the next multiple of the step, exactly; the amount itself for a step of 0.
    Amount roundUpTo(Amount step) const;
    // The product taken in double precision and converted back by fromDouble.
    Amount timesDouble(double factor) const;

    constexpr bool operator==(Amount other) const { return m_valid == other.m_valid && m_units == other.m_units; }
    constexpr bool operator!=(Amount other) const { return !(*this == other); }

private:
    constexpr Amount(qint64 units, bool valid) : m_units(units), m_valid(valid) {}
    qint64 m_units = 0;
    bool m_valid = true;
};

// The text shown for an overflowed amount.
inline QString OverflowText()
{
    return QStringLiteral("溢出");
}

// "-" when negative, the integer digits without grouping, and "." with one to four fraction
// digits only when the fraction is not zero: 0, 1200, 12.5, 333.3333.
QString AmountToText(Amount amount);
