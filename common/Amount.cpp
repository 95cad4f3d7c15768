#include "common/Amount.h"

#include "common/LeadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double TwoTo63 = 9223372036854775808.0;

// Wide enough for the product of two amounts.
using Wide = __int128;

// The one rounding rule of money: a value between two neighbours goes to the nearer, and on a tie
// to the even one. `againstHalf` says where the rest lies against half a step: below (< 0), on it
// (0) or above (> 0).
bool roundsUp(int againstHalf, bool lowerIsOdd)
{
    return againstHalf > 0 || (againstHalf == 0 && lowerIsOdd);
}

// numerator ÷ denominator, halves to the even neighbour.
Wide divideHalfEven(Wide numerator, Wide denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    Wide quotient = numerator / denominator;
    Wide remainder = numerator % denominator;
    if (remainder < 0) { // floor division, so the remainder is never negative
        quotient -= 1;
        remainder += denominator;
    }
    const Wide twice = remainder * 2;
    const int againstHalf = twice < denominator ? -1 : twice == denominator ? 0 : 1;
    return roundsUp(againstHalf, quotient % 2 != 0) ? quotient + 1 : quotient;
}

Amount fromWide(Wide units)
{
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return Amount::overflowed();
    return Amount::fromUnits(qint64(units));
}

// Where the digits after the fourth decimal lie against half a ten-thousandth.
int digitsAgainstHalf(const std::string &rest)
{
    if (rest.empty() || rest[0] < '5')
        return -1;
    if (rest[0] > '5')
        return 1;
    return rest.find_first_not_of('0', 1) != std::string::npos ? 1 : 0;
}

// Rounds the shortest decimal text of the value (the number as a person reads it) to four
// places, ties to even. Only used near a tie, where the binary value alone would decide by an
// error in the seventeenth digit.
Amount roundDecimalText(double value)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const std::string text(buffer, result.ptr);
    const size_t point = text.find('.');
    const std::string integer = point == std::string::npos ? text : text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    std::string rest = fraction.size() > 4 ? fraction.substr(4) : std::string();
    fraction.resize(4, '0');

    quint64 units = 0;
    for (char c : integer + fraction) {
        if (units > (quint64(1) << 63) / 10)
            return Amount::overflowed();
        units = units * 10 + quint64(c - '0');
    }
    if (roundsUp(digitsAgainstHalf(rest), units % 2 == 1))
        ++units;
    const bool negative = std::signbit(value);
    if (units > (quint64(1) << 63) || (!negative && units == (quint64(1) << 63)))
        return Amount::overflowed();
    return Amount::fromUnits(negative ? qint64(quint64(0) - units) : qint64(units));
}

// The amounts the sheet holds are nearly all plain decimals ("43500.5"): an optional "-", digits,
// and an optional "." with at most four more. Such a text of at most fifteen significant digits is
// exactly its count of ten-thousandths, which is also what reading it as a double and converting
// that gives: the double lies within 2^-52 of the decimal, so the product with 10000 lies within
// 0.23 of the count and rounds to it; where that product is large enough for the tie check to look
// at the decimal text, the shortest text of the double is the decimal itself (two decimals of at
// most fifteen digits never share a double). Anything else is left to the general reading.
bool readPlainDecimal(QStringView text, qint64 &units)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    const bool negative = p != end && *p == u'-';
    p += negative ? 1 : 0;
    // Fourteen integer digits at most (with four decimals the count then stays below 10^18, so it
    // cannot overflow); more can only pass fifteen digits, or are leading zeros, left to the rule.
    const char16_t *const integer = p;
    const char16_t *const integerEnd = end - p > 14 ? p + 14 : end;
    qint64 count = 0;
    for (; p != integerEnd && char16_t(*p - u'0') < 10; ++p)
        count = count * 10 + (*p - u'0');
    if (p == integer)
        return false;
    int decimals = 0;
    if (p != end && *p == u'.')
        for (++p; p != end && char16_t(*p - u'0') < 10 && decimals < 4; ++p, ++decimals)
            count = count * 10 + (*p - u'0');
    static constexpr qint64 Scales[] = {10000, 1000, 100, 10, 1};
    count *= Scales[decimals];
    if (p != end || count >= 1000000000000000) // fifteen digits
        return false;
    units = negative ? -count : count;
    return true;
}

} // namespace

Amount Amount::fromDouble(double value)
{
    if (!std::isfinite(value))
        return overflowed();
    const double product = value * double(Scale);
    if (!std::isfinite(product) || std::fabs(product) >= TwoTo63)
        return overflowed();
    const double rounded = std::nearbyint(product); // the default rounding mode: ties to even
    // Whether 0.00025 is a tie should not depend on the binary error of 0.00025: near a tie, the
    // decimal the value stands for decides.
    const double tolerance = std::max(1e-9, std::fabs(product) * 1e-14);
    if (std::fabs(std::fabs(product - rounded) - 0.5) <= tolerance)
        return roundDecimalText(value);
    if (rounded >= TwoTo63 || rounded < -TwoTo63)
        return overflowed();
    return fromUnits(static_cast<qint64>(rounded));
}

Amount Amount::fromWhole(qint64 yuan)
{
    return fromWide(Wide(yuan) * Scale);
}

Amount Amount::fromText(const QString &text)
{
    qint64 units = 0;
    if (readPlainDecimal(text, units))
        return fromUnits(units);
    if (QStringView(text).trimmed() == OverflowText())
        return overflowed();
    return fromDouble(LeadingNumber(text));
}

double Amount::toDouble() const
{
    // Division, not multiplication by 0.0001, so that the result is the double nearest to the
    // decimal value and agrees with reading the amount's text.
    return double(m_units) / double(Scale);
}

Amount Amount::operator+(Amount other) const
{
    if (!m_valid || !other.m_valid)
        return overflowed();
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    if ((other.m_units > 0 && m_units > max - other.m_units) || (other.m_units < 0 && m_units < min - other.m_units))
        return overflowed();
    return fromUnits(m_units + other.m_units);
}

Amount Amount::operator-(Amount other) const
{
    if (!m_valid || !other.m_valid)
        return overflowed();
    return fromWide(Wide(m_units) - other.m_units);
}

Amount Amount::times(qint64 count) const
{
    return m_valid ? fromWide(Wide(m_units) * count) : overflowed();
}

Amount Amount::mulDiv(Amount factor, Amount divisor, int decimals) const
{
    if (!m_valid || !factor.m_valid || !divisor.m_valid || divisor.m_units == 0 || decimals < 0 || decimals > 4)
        return overflowed();
    qint64 step = 1; // one unit of the last kept decimal, in ten-thousandths
    for (int i = decimals; i < 4; ++i)
        step *= 10;
    return fromWide(divideHalfEven(Wide(m_units) * factor.m_units, Wide(divisor.m_units) * step) * step);
}

Amount Amount::roundUpTo(Amount step) const
{
    if (!m_valid || step.m_units == 0)
        return *this;
    Wide multiples = Wide(m_units) / step.m_units;
    if (Wide(m_units) % step.m_units > 0)
        multiples += 1;
    return fromWide(multiples * step.m_units);
}

Amount Amount::timesDouble(double factor) const
{
    if (!m_valid)
        return overflowed();
    return fromDouble(toDouble() * factor);
}

QString AmountToText(Amount amount)
{
    if (!amount.isValid())
        return OverflowText();
    const qint64 units = amount.units();
    // Work on the magnitude as unsigned so that the most negative value has one too.
    const quint64 magnitude = units < 0 ? quint64(0) - quint64(units) : quint64(units);
    char text[32];
    char *end = text + sizeof text;
    char *p = end;
    quint64 fraction = magnitude % quint64(Amount::Scale);
    if (fraction != 0) {
        int digits = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        for (int i = 0; i < digits; ++i, fraction /= 10)
            *--p = char('0' + fraction % 10);
        *--p = '.';
    }
    quint64 integer = magnitude / quint64(Amount::Scale);
    do {
        *--p = char('0' + integer % 10);
        integer /= 10;
    } while (integer != 0);
    if (units < 0)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}
