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
    Cursor lookahead() const { return *this; }

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

double readRadixInteger(Cursor cursor, int base)
{
    double value = 0;
    for (int d = digitValue(cursor.peek(), base); d >= 0; d = digitValue(cursor.peek(), base)) {
        value = value * base + d;
        cursor.next();
    }
    return value;
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

} // namespace

double LeadingNumber(QStringView text)
{
    Cursor cursor(text);
    if (cursor.peek() == u'&') {
        Cursor after = cursor.lookahead();
        after.next();
        const char16_t kind = after.peek();
        after.next();
        if (kind == u'H' || kind == u'h')
            return readRadixInteger(after, 16);
        if (kind == u'O' || kind == u'o')
            return readRadixInteger(after, 8);
        return 0;
    }

    NumberBuffer buffer;
    bool negative = false;
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        negative = cursor.peek() == u'-';
        cursor.next();
    }
    if (negative)
        buffer.push('-');

    long long integerDigits = 0;     // significant digits before the point
    long long leadingFractionZeros = 0;
    bool anyDigit = false;
    bool nonZero = false;
    while (isDigit(cursor.peek())) {
        const char c = char(cursor.peek());
        if (c != '0' || nonZero) {
            nonZero = true;
            ++integerDigits;
        }
        buffer.push(c);
        anyDigit = true;
        cursor.next();
    }
    if (cursor.peek() == u'.') {
        if (!anyDigit)
            buffer.push('0');
        buffer.push('.');
        cursor.next();
        while (isDigit(cursor.peek())) {
            const char c = char(cursor.peek());
            if (c == '0' && !nonZero)
                ++leadingFractionZeros;
            else
                nonZero = true;
            buffer.push(c);
            anyDigit = true;
            cursor.next();
        }
    }
    if (!anyDigit)
        return 0;

    long long exponent = 0; // saturated, only to tell an overflow from an underflow
    const char16_t e = cursor.peek();
    if (e == u'E' || e == u'e' || e == u'D' || e == u'd') {
        Cursor after = cursor.lookahead();
        after.next();
        bool negativeExponent = false;
        if (after.peek() == u'+' || after.peek() == u'-') {
            negativeExponent = after.peek() == u'-';
            after.next();
        }
        if (isDigit(after.peek())) {
            buffer.push('e');
            if (negativeExponent)
                buffer.push('-');
            while (isDigit(after.peek())) {
                const int digit = after.peek() - u'0';
                if (exponent < 1000000000LL)
                    exponent = exponent * 10 + digit;
                buffer.push(char(after.peek()));
                after.next();
            }
            if (negativeExponent)
                exponent = -exponent;
        }
    }

    double value = 0;
    const auto result = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (!nonZero)
            return negative ? -0.0 : 0.0;
        const long long magnitude = exponent + (integerDigits > 0 ? integerDigits : -leadingFractionZeros);
        if (magnitude > 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return negative ? -0.0 : 0.0;
    }
    if (result.ec != std::errc())
        return 0;
    return value;
}
