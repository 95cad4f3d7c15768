#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Exponent form as the planner's older tools write it: mantissa without trailing zeros, "E",
// a sign and at least two digits (1E+15, 1.5E-05).
QString exponentForm(bool negative, const std::string &digits, int exponent)
{
    QString text;
    if (negative)
        text += QLatin1Char('-');
    text += QLatin1Char(digits[0]);
    if (digits.size() > 1) {
        text += QLatin1Char('.');
        text += QString::fromLatin1(digits.data() + 1, qsizetype(digits.size() - 1));
    }
    text += exponent < 0 ? QLatin1String("E-") : QLatin1String("E+");
    const int magnitude = std::abs(exponent);
    if (magnitude < 10)
        text += QLatin1Char('0');
    text += QString::number(magnitude);
    return text;
}

// A magnitude beyond every double (or float) is written as a number that reads back as infinite,
// so that an overflow survives being written into a field and read again.
QString infiniteText(bool negative, int maxExponent)
{
    return QStringLiteral("%1E+%2").arg(negative ? QStringLiteral("-1") : QStringLiteral("1")).arg(maxExponent + 1);
}

// General form with the given number of significant digits: plain decimal for magnitudes from
// 1E-04 up to below 10^digits, exponent form outside that range.
QString generalForm(double value, int significantDigits, int maxExponent)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    const bool negative = std::signbit(value);
    if (std::isinf(value))
        return infiniteText(negative, maxExponent);
    if (value == 0)
        return QStringLiteral("0");

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                      significantDigits - 1);
    const std::string scientific(buffer, result.ptr);
    const size_t e = scientific.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (scientific[i] != '.')
            digits += scientific[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(scientific.c_str() + e + 1);

    if (exponent >= significantDigits || exponent < -4)
        return exponentForm(negative, digits, exponent);

    QString text;
    if (negative)
        text += QLatin1Char('-');
    const int integerLength = exponent + 1; // digits before the point; 0 or less for a fraction
    if (integerLength <= 0) {
        text += QLatin1String("0.");
        text += QString(-integerLength, QLatin1Char('0'));
        text += QString::fromLatin1(digits.data(), qsizetype(digits.size()));
    } else if (int(digits.size()) <= integerLength) {
        text += QString::fromLatin1(digits.data(), qsizetype(digits.size()));
        text += QString(integerLength - int(digits.size()), QLatin1Char('0'));
    } else {
        text += QString::fromLatin1(digits.data(), integerLength);
        text += QLatin1Char('.');
        text += QString::fromLatin1(digits.data() + integerLength, qsizetype(digits.size()) - integerLength);
    }
    return text;
}

} // namespace

QString Fixed2Text(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0.00");
    const bool negative = std::signbit(value);
    if (std::isinf(value))
        return infiniteText(negative, 308);

    // The shortest decimal text that reads back as this double: what a person reads as the value.
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    const size_t point = text.find('.');
    std::string integer = point == std::string::npos ? text : text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    const bool roundUp = fraction.size() > 2 && fraction[2] >= '5';
    fraction.resize(2, '0');
    std::string digits = integer + fraction;
    if (roundUp) {
        int i = int(digits.size()) - 1;
        while (i >= 0 && digits[size_t(i)] == '9')
            digits[size_t(i--)] = '0';
        if (i >= 0)
            ++digits[size_t(i)];
        else
            digits.insert(digits.begin(), '1');
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    QString out;
    if (negative && !zero)
        out += QLatin1Char('-');
    out += QString::fromLatin1(digits.data(), qsizetype(digits.size() - 2));
    out += QLatin1Char('.');
    out += QString::fromLatin1(digits.data() + digits.size() - 2, 2);
    return out;
}

QString NumberText(double value)
{
    return generalForm(value, 15, 308);
}

QString NumberTextSingle(float value)
{
    return generalForm(double(value), 7, 38);
}
