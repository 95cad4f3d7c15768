#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Appends the decimal digits of a non-negative integer.
char *writeInteger(char *out, unsigned long long value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

// A magnitude beyond every double (or float) is written as a number that reads back as infinite,
// so that an overflow survives being written into a field and read again.
char *writeInfinite(char *out, bool negative, int maxExponent)
{
    if (negative)
        *out++ = '-';
    *out++ = '1';
    *out++ = 'E';
    *out++ = '+';
    return writeInteger(out, unsigned(maxExponent + 1));
}

// The significant digits of a positive value rounded to the given number (trailing zeros dropped)
// and its decimal exponent.
struct Digits
{
    char digits[24];
    int count = 0;
    int exponent = 0;
};

Digits significant(double magnitude, int significantDigits)
{
    Digits out;
    char scientific[40];
    const auto result = std::to_chars(scientific, scientific + sizeof scientific, magnitude,
                                      std::chars_format::scientific, significantDigits - 1);
    const char *e = std::find(scientific, result.ptr, 'e');
    for (const char *c = scientific; c != e; ++c)
        if (*c != '.')
            out.digits[out.count++] = *c;
    while (out.count > 1 && out.digits[out.count - 1] == '0')
        --out.count;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, result.ptr, out.exponent);
    return out;
}

// 1E+15, 1.5E-05: at least two exponent digits.
char *writeExponentForm(char *p, const Digits &d)
{
    *p++ = d.digits[0];
    if (d.count > 1) {
        *p++ = '.';
        p = std::copy(d.digits + 1, d.digits + d.count, p);
    }
    *p++ = 'E';
    *p++ = d.exponent < 0 ? '-' : '+';
    const int absolute = std::abs(d.exponent);
    if (absolute < 10)
        *p++ = '0';
    return writeInteger(p, unsigned(absolute));
}

char *writeDecimalForm(char *p, const Digits &d)
{
    const int integerLength = d.exponent + 1; // digits before the point; 0 or less for a fraction
    if (integerLength <= 0) {
        *p++ = '0';
        *p++ = '.';
        p = std::fill_n(p, -integerLength, '0');
        p = std::copy(d.digits, d.digits + d.count, p);
    } else if (d.count <= integerLength) {
        p = std::copy(d.digits, d.digits + d.count, p);
        p = std::fill_n(p, integerLength - d.count, '0');
    } else {
        p = std::copy(d.digits, d.digits + integerLength, p);
        *p++ = '.';
        p = std::copy(d.digits + integerLength, d.digits + d.count, p);
    }
    return p;
}

// Whether a non-negative value below 1E15 is whole, without a call to floor (which the baseline x86-64
// processor has no instruction for): below that bound truncation to an integer is exact.
bool isWhole(double magnitude)
{
    return double(static_cast<long long>(magnitude)) == magnitude;
}

// A magnitude of at most four decimals that is the double nearest to them (108.5, 0.25, 3.1416), the
// common case in a quote, written straight from its digits; null for any other. A decimal of fewer
// significant digits than digitLimit has reads back from its double unchanged, so this is the text
// the general way would find, found without it.
char *writeFewDecimals(char *p, double magnitude, double digitLimit)
{
    static const double scales[] = {1e1, 1e2, 1e3, 1e4};
    if (!(magnitude >= 1e-4 && magnitude < 1e11) || isWhole(magnitude))
        return nullptr;
    for (int decimals = 1; decimals <= 4; ++decimals) {
        const double scaled = magnitude * scales[decimals - 1];
        if (scaled >= digitLimit || !isWhole(scaled) || scaled / scales[decimals - 1] != magnitude)
            continue;
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(scaled));
        int count = int(written.ptr - digits);
        int kept = decimals;
        while (kept > 0 && digits[count - 1] == '0') {
            --count;
            --kept;
        }
        const int whole = count - kept; // digits before the point; none for a fraction
        p = whole > 0 ? std::copy(digits, digits + whole, p) : std::fill_n(p, 1, '0');
        *p++ = '.';
        p = std::fill_n(p, std::max(0, kept - count), '0');
        return std::copy(digits + std::max(whole, 0), digits + count, p);
    }
    return nullptr;
}

// General form with the given number of significant digits: plain decimal for magnitudes from
// 1E-04 up to below 10^digits, exponent form (as the planner's older tools write it: 1E+15,
// 1.5E-05) outside that range.
// Writes the text into out (64 characters are always enough) and returns its end.
char *writeGeneralForm(char *out, double value, int significantDigits, int maxExponent)
{
    char *p = out;
    if (std::isnan(value) || value == 0) {
        *p++ = '0';
        return p;
    }
    const bool negative = std::signbit(value);
    if (std::isinf(value))
        return writeInfinite(p, negative, maxExponent);
    if (negative)
        *p++ = '-';
    const double magnitude = std::fabs(value);

    // Whole counts are by far the most common: write them directly.
    static const double limits[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (magnitude < limits[significantDigits] && isWhole(magnitude))
        return writeInteger(p, static_cast<unsigned long long>(magnitude));
    if (char *end = writeFewDecimals(p, magnitude, limits[significantDigits]))
        return end;

    const Digits digits = significant(magnitude, significantDigits);
    if (digits.exponent >= significantDigits || digits.exponent < -4)
        return writeExponentForm(p, digits);
    return writeDecimalForm(p, digits);
}

QString generalForm(double value, int significantDigits, int maxExponent)
{
    char out[64];
    return QString::fromLatin1(out, writeGeneralForm(out, value, significantDigits, maxExponent) - out);
}

} // namespace

QString Fixed2Text(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0.00");
    const bool negative = std::signbit(value);
    if (std::isinf(value)) {
        char out[16];
        return QString::fromLatin1(out, writeInfinite(out, negative, 308) - out);
    }

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

void AppendNumberText(QString &text, double value)
{
    char out[64];
    text.append(QLatin1String(out, writeGeneralForm(out, value, 15, 308)));
}

void AppendNumberTextSingle(QString &text, float value)
{
    char out[64];
    text.append(QLatin1String(out, writeGeneralForm(out, double(value), 7, 38)));
}
