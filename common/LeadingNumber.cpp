#include "common/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n';
}

// Walks the text while skipping the blanks that may stand anywhere inside a number.
class Cursor
{
public:
    explicit Cursor(QStringView text) : m_p(text.begin()), m_end(text.end()) { skipBlanks(); }
    char16_t peek() const { return m_p == m_end ? 0 : m_p->unicode(); }
    void next()
    {
        if (m_p != m_end)
            ++m_p;
        skipBlanks();
    }
    // Past the last character taken and the blanks after it.
    const QChar *position() const { return m_p; }

private:
    void skipBlanks()
    {
        while (m_p != m_end && isBlank(*m_p))
            ++m_p;
    }
    const QChar *m_p;
    const QChar *m_end;
};

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(char16_t c, int base)
{
    int value = -1;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < base ? value : -1;
}

// A small buffer on the stack for the usual short numbers, the heap only for long ones.
class NumberBuffer
{
public:
    void push(char c)
    {
        if (m_size < sizeof(m_small))
            m_small[m_size] = c;
        else {
            if (m_large.empty())
                m_large.assign(m_small, m_size);
            m_large.push_back(c);
        }
        ++m_size;
    }
    const char *data() const { return m_large.empty() ? m_small : m_large.data(); }
    size_t size() const { return m_size; }

private:
    char m_small[96];
    size_t m_size = 0;
    std::string m_large;
};

// A number's text as it is read: the characters for the conversion, and what the digits tell of the
// number's size, to tell an overflow from an underflow when the conversion is out of range.
struct NumberScan
{
    NumberBuffer buffer;
    bool negative = false;
    long long integerDigits = 0; // significant digits before the point
    long long leadingFractionZeros = 0;
    bool anyDigit = false;
    bool nonZero = false;
    long long exponent = 0; // saturated
};

// &H1F, &O17: an integer in base 16 or 8; anything else after the & is 0 and no number read.
double readRadixLiteral(Cursor cursor, const QChar **end)
{
    cursor.next();
    const char16_t kind = cursor.peek() | 0x20;
    cursor.next();
    const int base = kind == u'h' ? 16 : kind == u'o' ? 8 : 0;
    if (base == 0 || digitValue(cursor.peek(), base) < 0)
        return 0;
    double value = 0;
    for (int d = digitValue(cursor.peek(), base); d >= 0; d = digitValue(cursor.peek(), base)) {
        value = value * base + d;
        cursor.next();
    }
    *end = cursor.position();
    return value;
}

// The sign, the integer digits and the fraction.
void readMantissa(Cursor &cursor, NumberScan &scan)
{
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        scan.negative = cursor.peek() == u'-';
        cursor.next();
    }
    if (scan.negative)
        scan.buffer.push('-');
    while (isDigit(cursor.peek())) {
        const char c = char(cursor.peek());
        if (c != '0' || scan.nonZero) {
            scan.nonZero = true;
            ++scan.integerDigits;
        }
        scan.buffer.push(c);
        scan.anyDigit = true;
        cursor.next();
    }
    if (cursor.peek() != u'.')
        return;
    if (!scan.anyDigit)
        scan.buffer.push('0');
    scan.buffer.push('.');
    cursor.next();
    while (isDigit(cursor.peek())) {
        const char c = char(cursor.peek());
        if (c == '0' && !scan.nonZero)
            ++scan.leadingFractionZeros;
        else
            scan.nonZero = true;
        scan.buffer.push(c);
        scan.anyDigit = true;
        cursor.next();
    }
}

// E or D, an optional sign and at least one digit; without a digit the letter is not part of it
// (and the cursor stays).
void readExponent(Cursor &cursor, NumberScan &scan)
{
    Cursor after = cursor;
    const char16_t e = after.peek();
    if (e != u'E' && e != u'e' && e != u'D' && e != u'd')
        return;
    after.next();
    bool negativeExponent = false;
    if (after.peek() == u'+' || after.peek() == u'-') {
        negativeExponent = after.peek() == u'-';
        after.next();
    }
    if (!isDigit(after.peek()))
        return;
    scan.buffer.push('e');
    if (negativeExponent)
        scan.buffer.push('-');
    while (isDigit(after.peek())) {
        const int digit = after.peek() - u'0';
        if (scan.exponent < 1000000000LL)
            scan.exponent = scan.exponent * 10 + digit;
        scan.buffer.push(char(after.peek()));
        after.next();
    }
    if (negativeExponent)
        scan.exponent = -scan.exponent;
    cursor = after;
}

double convert(const NumberScan &scan)
{
    double value = 0;
    const auto result = std::from_chars(scan.buffer.data(), scan.buffer.data() + scan.buffer.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const double zero = scan.negative ? -0.0 : 0.0;
        if (!scan.nonZero)
            return zero;
        const long long magnitude =
            scan.exponent + (scan.integerDigits > 0 ? scan.integerDigits : -scan.leadingFractionZeros);
        if (magnitude > 0)
            return scan.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return zero;
    }
    if (result.ec != std::errc())
        return 0;
    return value;
}

} // namespace

double LeadingNumber(QStringView text, qsizetype *length)
{
    const QChar *end = text.begin(); // nothing read yet
    double value = 0;
    Cursor cursor(text);
    if (cursor.peek() == u'&') {
        value = readRadixLiteral(cursor, &end);
    } else {
        NumberScan scan;
        readMantissa(cursor, scan);
        if (scan.anyDigit) {
            readExponent(cursor, scan);
            value = convert(scan);
            end = cursor.position();
        }
    }
    if (length)
        *length = end - text.begin();
    return value;
}
