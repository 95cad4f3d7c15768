#include "excel/read/XmlScanner.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype Chunk = 64 * 1024;
// No workbook program writes a start tag, comment or CDATA section of this size; a part that does
// is refused rather than held whole.
constexpr qsizetype MaxMarkup = 16 * 1024 * 1024;

// memchr and memcmp directly: these run for every element of a part.
qsizetype indexOf(QByteArrayView in, char c, qsizetype from = 0)
{
    if (from >= in.size())
        return -1;
    const void *at = std::memchr(in.data() + from, c, size_t(in.size() - from));
    return at ? static_cast<const char *>(at) - in.data() : -1;
}

// Names and prefixes are a few bytes: compared in place, memcmp only for the long (namespaces).
bool same(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    if (a.size() > 16)
        return std::memcmp(a.data(), b.data(), size_t(a.size())) == 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.data()[i] != b.data()[i])
            return false;
    }
    return true;
}

qint64 lineEnds(const char *from, const char *to)
{
    qint64 count = 0;
    while (from < to && (from = static_cast<const char *>(std::memchr(from, '\n', size_t(to - from))))) {
        ++count;
        ++from;
    }
    return count;
}

// What each byte is to the markup, looked up rather than compared: names are scanned byte by byte.
enum : uchar
{
    Blank = 1,
    EndsName = 2, // what may not appear in a name; the parts' names are otherwise taken as written
    EndsValue = 4 // a quote or '<'
};
struct ByteClasses
{
    uchar of[256] = {};
    constexpr ByteClasses()
    {
        for (const char c : {' ', '\t', '\n', '\r'})
            of[uchar(c)] = Blank | EndsName;
        for (const char c : {'/', '>', '=', '<', '"', '\''})
            of[uchar(c)] = EndsName;
        for (const char c : {'<', '"', '\''})
            of[uchar(c)] |= EndsValue;
    }
};
constexpr ByteClasses byteClasses;

bool isBlank(char c)
{
    return byteClasses.of[uchar(c)] & Blank;
}

bool endsName(char c)
{
    return byteClasses.of[uchar(c)] & EndsName;
}

void splitName(QByteArrayView qualified, QByteArrayView *prefix, QByteArrayView *local)
{
    qsizetype colon = 0;
    while (colon < qualified.size() && qualified.data()[colon] != ':')
        ++colon;
    const bool prefixed = colon < qualified.size();
    *prefix = prefixed ? qualified.first(colon) : QByteArrayView();
    *local = prefixed ? qualified.sliced(colon + 1) : qualified;
}

bool isXmlChar(char32_t c)
{
    return (c >= 0x20 && c <= 0xD7FF) || c == 0x9 || c == 0xA || c == 0xD || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// &#NNNNN; in eight bytes read as a little-endian number: its character, 0 when they are not that
// (every CJK character written as a reference takes five decimal digits). The digits are checked
// and summed eight bytes at a time.
Q_ALWAYS_INLINE char32_t fiveDigitReference(quint64 x)
{
    constexpr quint64 Fixed = 0xFF0000000000FFFF;  // '&', '#' and ';'
    constexpr quint64 Digits = 0x00FFFFFFFFFF0000; // the five digits
    constexpr quint64 Zeros = 0x0030303030300000;
    constexpr quint64 High = 0x00F0F0F0F0F00000;
    const quint64 digits = x & Digits;
    if ((x & Fixed) != 0x3B00000000002326 || (digits & High) != Zeros ||
        ((digits + 0x0006060606060000) & High) != Zeros)
        return 0;
    // As the digits of "000NNNNN": pairs, then fours, then all eight summed.
    quint64 value = (digits << 8) & 0x0F0F0F0F0F0F0F0F;
    value = (value * 2561) >> 8;
    value = ((value & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    value = ((value & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
    const char32_t c = char32_t(value);
    return isXmlChar(c) ? c : 0;
}

// The digits of a character reference from q on, as far as limit, into c; where they end.
const uchar *decimalDigits(const uchar *q, const uchar *limit, char32_t *c)
{
    for (unsigned digit = 0; q < limit && (digit = unsigned(*q) - '0') <= 9; ++q)
        *c = *c * 10 + digit;
    return q;
}

const uchar *hexDigits(const uchar *q, const uchar *limit, char32_t *c)
{
    for (; q < limit; ++q) {
        const unsigned digit = unsigned(*q) - '0';
        const unsigned letter = unsigned(*q | 0x20) - 'a';
        if (digit > 9 && letter > 5)
            break;
        *c = *c * 16 + (digit <= 9 ? digit : letter + 10);
    }
    return q;
}

// The character the reference at p ('&') stands for, p moved past its ';'; 0 (p unmoved) when it
// is none: a decimal or hexadecimal character reference (some writers store every CJK character
// as &#39033;) or one of the five predefined entities, its name at most ten characters.
char32_t reference(const uchar *&p, const uchar *end)
{
    if (end - p >= 8) {
        const char32_t c = fiveDigitReference(qFromLittleEndian<quint64>(p));
        if (c != 0) {
            p += 8;
            return c;
        }
    }
    const uchar *q = p + 1;
    if (q < end && *q == '#') {
        const bool hex = ++q < end && *q == 'x';
        q += hex ? 1 : 0;
        // At most ten characters between '&' and ';': nine digits at most, so no value overflows.
        const uchar *const limit = end - p > 11 ? p + 11 : end;
        char32_t c = 0;
        const uchar *const last = hex ? hexDigits(q, limit, &c) : decimalDigits(q, limit, &c);
        if (last == q || last == end || *last != ';' || !isXmlChar(c))
            return 0;
        p = last + 1;
        return c;
    }
    static constexpr struct
    {
        const char *name; // with its ';'
        qsizetype size;
        char32_t c;
    } entities[] = {{"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}};
    for (const auto &entity : entities) {
        if (end - q >= entity.size && std::memcmp(q, entity.name, size_t(entity.size)) == 0) {
            p = q + entity.size;
            return entity.c;
        }
    }
    return 0;
}

// One UTF-8 sequence of more than one byte at p: its code point, or 0 when it is malformed (cut
// short, overlong, a surrogate or past U+10FFFF).
char32_t utf8Sequence(const uchar *&p, const uchar *end)
{
    const uchar lead = *p;
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || end - p < length)
        return 0;
    char32_t c = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[k] & 0x3F);
    }
    const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    p += length;
    return c;
}

void put(char16_t *&to, char32_t c)
{
    if (c >= 0x10000) {
        *to++ = QChar::highSurrogate(c);
        *to++ = QChar::lowSurrogate(c);
    } else {
        *to++ = char16_t(c);
    }
}

// The bytes copied as they are: in character data all of ASCII but '&' and '\r', in an attribute
// value blanks other than ' ' as well (they become spaces).
struct PlainBytes
{
    bool text[256] = {};
    bool attribute[256] = {};
    constexpr PlainBytes()
    {
        for (int b = 0; b < 0x80; ++b)
            text[b] = attribute[b] = b != '&' && b != '\r';
        attribute['\n'] = attribute['\t'] = false;
    }
};
constexpr PlainBytes plainBytes;

// Character data or an attribute value into UTF-16 at to, which has room for raw.size() units (never
// fewer are needed): references replaced (unless it is CDATA), line ends (in an attribute, all
// blanks) normalised as the XML rules ask. The units written, -1 when it does not read.
qsizetype decodeInto(QByteArrayView raw, XmlScanner::Normalise mode, bool references, char16_t *const begin)
{
    const bool attribute = mode == XmlScanner::Normalise::AttributeBlanks;
    const bool *const plain = attribute ? plainBytes.attribute : plainBytes.text;
    char16_t *to = begin;
    const uchar *p = reinterpret_cast<const uchar *>(raw.data());
    const uchar *const end = p + raw.size();
    while (p < end) {
        const uchar b = *p;
        if (plain[b]) {
            *to++ = char16_t(b);
            ++p;
            continue;
        }
        if (b == '&' && references) {
            // A run of five-digit references, as whole CJK texts are written (up to U+1869F: eight
            // bytes give room for the two units of a character past U+FFFF).
            for (char32_t c = 0; end - p >= 8 && (c = fiveDigitReference(qFromLittleEndian<quint64>(p))) != 0; p += 8)
                put(to, c);
            if (p == end || *p != '&')
                continue;
        }
        if (b >= 0x80 || (b == '&' && references)) {
            const char32_t c = b >= 0x80 ? utf8Sequence(p, end) : reference(p, end);
            if (c == 0)
                return -1;
            put(to, c);
        } else if (b == '\r') {
            *to++ = attribute ? u' ' : u'\n';
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
        } else {
            *to++ = b == '&' ? u'&' : u' '; // '&' in CDATA; '\n' or '\t' in an attribute
            ++p;
        }
    }
    return to - begin;
}

} // namespace

XmlScanner::XmlScanner(Source source, int maxDepth) : m_source(std::move(source)), m_maxDepth(maxDepth)
{
    m_buffer.resize(Chunk);
    m_token = Characters; // nothing read yet: not at the end
}

qint64 XmlScanner::lineNumber() const
{
    return m_linesBefore + lineEnds(m_buffer.data(), m_buffer.data() + m_pos) + 1;
}

XmlScanner::Token XmlScanner::fail(Error error)
{
    if (m_error == None)
        m_error = error;
    m_token = Invalid;
    return m_token;
}

bool XmlScanner::fillMore(qsizetype wanted)
{
    while (m_end - m_pos < wanted && !m_sourceEnded) {
        if (m_pos > 0) {
            m_linesBefore += lineEnds(m_buffer.data(), m_buffer.data() + m_pos);
            m_dropped += m_pos;
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, size_t(m_end - m_pos));
            m_end -= m_pos;
            m_pos = 0;
        }
        if (qsizetype(m_buffer.size()) - m_end < Chunk / 2)
            m_buffer.resize(std::min<size_t>(m_buffer.size() * 2, MaxMarkup + Chunk));
        const qsizetype room = qsizetype(m_buffer.size()) - m_end;
        const qint64 got = room > 0 ? m_source(m_buffer.data() + m_end, room) : 0;
        if (got <= 0)
            m_sourceEnded = true;
        else
            m_end += got;
    }
    return m_end - m_pos >= wanted;
}

// The offset from m_pos of needle at or after from, reading more as needed.
bool XmlScanner::find(QByteArrayView needle, qsizetype from, qsizetype *at)
{
    for (;;) {
        const QByteArrayView held = view(m_pos, m_end);
        const qsizetype found = needle.size() == 1 ? indexOf(held, needle.front(), from) : held.indexOf(needle, from);
        if (found >= 0) {
            *at = found;
            return true;
        }
        from = std::max<qsizetype>(from, m_end - m_pos - needle.size() + 1);
        if (m_end - m_pos > MaxMarkup || !fill(m_end - m_pos + 1))
            return false;
    }
}

// The offset of the '>' that ends the tag at m_pos, passing over quoted attribute values.
bool XmlScanner::findTagEnd(qsizetype *at)
{
    char quote = 0;
    for (qsizetype i = 1;;) {
        const char *const held = m_buffer.data() + m_pos;
        const qsizetype size = m_end - m_pos;
        for (; i < size; ++i) {
            const char c = held[i];
            if (quote) {
                if (c == '<')
                    return false;
                quote = c == quote ? 0 : quote;
            } else if (c == '>') {
                *at = i;
                return true;
            } else if (c == '"' || c == '\'') {
                quote = c;
            }
        }
        if (size > MaxMarkup || !fill(size + 1))
            return false;
    }
}

XmlScanner::Token XmlScanner::next()
{
    if (m_token == EndDocument && m_started)
        return m_token;
    if (m_token == Invalid)
        return m_token;
    if (m_popPending)
        popElement();
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_popPending = true;
        return m_token = EndElement;
    }
    m_attributes.clear();
    if (!fill(1))
        return endOfInput();
    if (m_atStart) {
        m_atStart = false;
        if (fill(3) && view(m_pos, m_pos + 3) == "\xEF\xBB\xBF")
            m_pos += 3;
        return next();
    }
    return m_buffer[size_t(m_pos)] == '<' ? scanMarkup() : scanText();
}

XmlScanner::Token XmlScanner::endOfInput()
{
    if (!m_started || !m_nameStarts.empty())
        return fail(Malformed); // no root element, or one left open: cut off
    return m_token = EndDocument;
}

void XmlScanner::popElement()
{
    m_popPending = false;
    const int depth = int(m_nameStarts.size());
    while (!m_bindings.empty() && m_bindings.back().depth >= depth) {
        m_bindings.pop_back();
        ++m_generation;
    }
    m_openNames.resize(size_t(m_nameStarts.back()));
    m_nameStarts.pop_back();
}

XmlScanner::Token XmlScanner::scanText()
{
    qsizetype lt = -1;
    for (;;) {
        lt = indexOf(view(m_pos, m_end), '<');
        if (lt >= 0 || m_sourceEnded || m_end - m_pos >= Chunk)
            break;
        fill(m_end - m_pos + 1);
    }
    qsizetype cut = lt >= 0 ? lt : m_end - m_pos;
    if (lt < 0 && !m_sourceEnded) {
        // A piece of a longer text: it must not end inside a reference, a character or a line end.
        const qsizetype amp = view(m_pos, m_pos + cut).lastIndexOf('&');
        if (amp >= 0 && indexOf(view(m_pos + amp, m_pos + cut), ';') < 0)
            cut = amp;
        qsizetype lead = cut - 1; // the last character's first byte
        while (lead > 0 && cut - lead < 4 && (uchar(m_buffer[size_t(m_pos + lead)]) & 0xC0) == 0x80)
            --lead;
        const uchar first = lead >= 0 ? uchar(m_buffer[size_t(m_pos + lead)]) : 0;
        if (first >= 0xC0 && cut - lead < (first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2))
            cut = lead;
        if (cut > 0 && m_buffer[size_t(m_pos + cut - 1)] == '\r')
            --cut;
        if (cut == 0)
            return fail(Malformed);
    }
    m_text = view(m_pos, m_pos + cut);
    m_cdata = false;
    m_pos += cut;
    if (m_nameStarts.empty()) {
        // Outside the root element only blanks may stand.
        if (!isWhitespace())
            return fail(Malformed);
        return next();
    }
    return m_token = Characters;
}

XmlScanner::Token XmlScanner::scanMarkup()
{
    if (!fill(2))
        return fail(Malformed);
    switch (m_buffer[size_t(m_pos + 1)]) {
    case '/':
        return scanEndTag();
    case '!':
        return scanBang();
    case '?': {
        qsizetype at = 0;
        if (!find("?>", 2, &at))
            return fail(Malformed);
        m_pos += at + 2; // the declaration and processing instructions say nothing a reader needs
        return next();
    }
    default:
        return scanStartTag();
    }
}

XmlScanner::Token XmlScanner::scanBang()
{
    fill(9);
    const QByteArrayView head = view(m_pos, std::min(m_end, m_pos + 9));
    qsizetype at = 0;
    if (head.startsWith("<!--")) {
        if (!find("-->", 4, &at))
            return fail(Malformed);
        m_pos += at + 3;
        return next();
    }
    if (head.startsWith("<![CDATA[")) {
        if (m_nameStarts.empty() || !find("]]>", 9, &at))
            return fail(Malformed);
        m_text = view(m_pos + 9, m_pos + at);
        m_cdata = true;
        m_pos += at + 3;
        return m_token = Characters;
    }
    return fail(head.startsWith("<!DOCTYPE") ? DocumentType : Malformed);
}

// The start tag at m_pos when it is held whole and plain: its name, attributes in double or single
// quotes set apart by single blanks or more, no namespace declared. False, with nothing kept, for
// anything else, which the walk below reads (or refuses) as ever.
bool XmlScanner::quickStartTag()
{
    const char *const s = m_buffer.data() + m_pos;
    const qsizetype held = m_end - m_pos;
    qsizetype i = 1;
    while (i < held && !endsName(s[i]))
        ++i;
    const qsizetype nameEnd = i;
    for (;;) {
        if (i >= held || nameEnd == 1)
            return false;
        if (s[i] == '>' || (s[i] == '/' && i + 1 < held && s[i + 1] == '>'))
            break;
        if (!isBlank(s[i]))
            return false;
        while (i < held && isBlank(s[i]))
            ++i;
        if (i < held && (s[i] == '>' || s[i] == '/'))
            continue;
        if (!quickAttribute(s, held, &i))
            return false;
    }
    if ((m_started && m_nameStarts.empty()) || int(m_nameStarts.size()) >= m_maxDepth)
        return false;
    const QByteArrayView qualified(s + 1, nameEnd - 1);
    m_nameStarts.push_back(qsizetype(m_openNames.size()));
    m_openNames.append(qualified.data(), size_t(qualified.size()));
    m_started = true;
    splitName(qualified, &m_prefix, &m_name);
    m_pendingEnd = s[i] == '/';
    m_pos += i + (m_pendingEnd ? 2 : 1);
    m_token = StartElement;
    return true;
}

// One attribute at s + *i, name="value" with no '<' in the value, kept; *i moved past it.
bool XmlScanner::quickAttribute(const char *s, qsizetype held, qsizetype *i)
{
    qsizetype at = *i;
    while (at < held && !endsName(s[at]))
        ++at;
    const QByteArrayView qualified(s + *i, at - *i);
    if (qualified.isEmpty() || at + 1 >= held || s[at] != '=' || (s[at + 1] != '"' && s[at + 1] != '\''))
        return false;
    const char quote = s[at + 1];
    const qsizetype valueFrom = at + 2;
    for (at = valueFrom; at < held && !(byteClasses.of[uchar(s[at])] & EndsValue); ++at) {
    }
    while (at < held && s[at] != quote && s[at] != '<')
        ++at; // past the other quote
    if (at >= held || s[at] != quote || (qualified.size() >= 5 && std::memcmp(qualified.data(), "xmlns", 5) == 0))
        return false;
    Attribute attribute{{}, {}, QByteArrayView(s + valueFrom, at - valueFrom)};
    splitName(qualified, &attribute.prefix, &attribute.local);
    m_attributes.push_back(attribute);
    *i = at + 1;
    return true;
}

bool XmlScanner::quickTextElement(QByteArrayView name, QByteArrayView outer)
{
    const int levels = outer.isEmpty() ? 1 : 2;
    if (m_token != StartElement || m_pendingEnd || int(m_nameStarts.size()) + levels > m_maxDepth)
        return false;
    const char *const s = m_buffer.data() + m_pos;
    const qsizetype held = m_end - m_pos;
    qsizetype at = 0;
    // <tag> or </tag> at s + at, stepped over.
    const auto step = [&](QByteArrayView tag, bool end) {
        const qsizetype from = at + (end ? 2 : 1);
        if (from + tag.size() >= held || s[at] != '<' || (end && s[at + 1] != '/') || s[from + tag.size()] != '>' ||
            !same(QByteArrayView(s + from, tag.size()), tag))
            return false;
        at = from + tag.size() + 1;
        return true;
    };
    if ((levels == 2 && !step(outer, false)) || !step(name, false))
        return false;
    const qsizetype textFrom = at;
    const void *const lt = std::memchr(s + at, '<', size_t(held - at));
    at = lt ? static_cast<const char *>(lt) - s : held;
    const qsizetype textTo = at;
    if (!step(name, true) || (levels == 2 && !step(outer, true)))
        return false;
    m_text = view(m_pos + textFrom, m_pos + textTo);
    m_cdata = false;
    m_name = view(m_pos + 1, m_pos + 1 + (levels == 2 ? outer : name).size());
    m_prefix = QByteArrayView();
    m_attributes.clear();
    m_pos += at;
    m_token = EndElement;
    return true;
}

XmlScanner::Token XmlScanner::scanStartTag()
{
    if (quickStartTag())
        return m_token;
    // Anything else (a tag not yet held whole, a namespace declared, a reference in a value): the tag
    // is walked quote by quote, reading on as needed.
    m_attributes.clear();
    qsizetype gt = 0;
    if (!findTagEnd(&gt))
        return fail(Malformed);
    return openElement(gt);
}

// The element whose start tag ends at the '>' at m_pos + gt.
XmlScanner::Token XmlScanner::openElement(qsizetype gt)
{
    const bool empty = m_buffer[size_t(m_pos + gt - 1)] == '/';
    const QByteArrayView tag = view(m_pos + 1, m_pos + gt - (empty ? 1 : 0));
    qsizetype nameEnd = 0;
    while (nameEnd < tag.size() && !endsName(tag.at(nameEnd)))
        ++nameEnd;
    const QByteArrayView qualified = tag.first(nameEnd);
    if (qualified.isEmpty() || (m_started && m_nameStarts.empty()))
        return fail(Malformed); // no name, or a second root element
    if (int(m_nameStarts.size()) >= m_maxDepth)
        return fail(TooDeep);
    m_nameStarts.push_back(qsizetype(m_openNames.size()));
    m_openNames.append(qualified.data(), size_t(qualified.size()));
    m_started = true;
    if (!parseAttributes(tag.sliced(nameEnd)))
        return fail(Malformed);
    splitName(qualified, &m_prefix, &m_name);
    m_pos += gt + 1;
    m_pendingEnd = empty;
    return m_token = StartElement;
}

bool XmlScanner::parseAttributes(QByteArrayView tag)
{
    const int depth = int(m_nameStarts.size());
    for (qsizetype i = 0;;) {
        const qsizetype blanksFrom = i;
        while (i < tag.size() && isBlank(tag.at(i)))
            ++i;
        if (i == tag.size())
            return true;
        if (i == blanksFrom)
            return false; // attributes are set apart by blanks
        const qsizetype nameFrom = i;
        while (i < tag.size() && !endsName(tag.at(i)))
            ++i;
        const QByteArrayView qualified = tag.sliced(nameFrom, i - nameFrom);
        while (i < tag.size() && isBlank(tag.at(i)))
            ++i;
        if (qualified.isEmpty() || i == tag.size() || tag.at(i) != '=')
            return false;
        ++i;
        while (i < tag.size() && isBlank(tag.at(i)))
            ++i;
        if (i == tag.size() || (tag.at(i) != '"' && tag.at(i) != '\''))
            return false;
        const qsizetype close = indexOf(tag, tag.at(i), i + 1);
        if (close < 0)
            return false;
        Attribute attribute{{}, {}, tag.sliced(i + 1, close - i - 1)};
        splitName(qualified, &attribute.prefix, &attribute.local);
        i = close + 1;
        const bool isDefault = same(qualified, "xmlns");
        if (isDefault || same(attribute.prefix, "xmlns")) {
            ++m_generation;
            m_bindings.push_back(
                {depth, (isDefault ? QByteArrayView() : attribute.local).toByteArray(), attribute.value.toByteArray()});
            continue;
        }
        m_attributes.push_back(attribute);
    }
}

XmlScanner::Token XmlScanner::scanEndTag()
{
    // Nearly always the open element's name and '>', held whole.
    if (!m_nameStarts.empty()) {
        const qsizetype from = m_nameStarts.back();
        const QByteArrayView open(m_openNames.data() + from, qsizetype(m_openNames.size()) - from);
        const qsizetype gt = open.size() + 2;
        if (m_end - m_pos > gt && m_buffer[size_t(m_pos + gt)] == '>' && same(view(m_pos + 2, m_pos + gt), open)) {
            splitName(view(m_pos + 2, m_pos + gt), &m_prefix, &m_name);
            m_pos += gt + 1;
            m_popPending = true;
            return m_token = EndElement;
        }
    }
    qsizetype gt = 0;
    if (!find(">", 2, &gt))
        return fail(Malformed);
    QByteArrayView qualified = view(m_pos + 2, m_pos + gt);
    while (!qualified.isEmpty() && isBlank(qualified.back()))
        qualified.chop(1);
    if (m_nameStarts.empty() || !same(QByteArrayView(m_openNames).sliced(m_nameStarts.back()), qualified))
        return fail(Malformed);
    splitName(qualified, &m_prefix, &m_name);
    m_pos += gt + 1;
    m_popPending = true;
    return m_token = EndElement;
}

QByteArrayView XmlScanner::resolve(QByteArrayView prefix) const
{
    if (m_resolvedFor != m_generation) {
        for (Resolved &r : m_resolved)
            r.prefix.assign(1, '\0'); // no prefix is a NUL
        m_resolvedFor = m_generation;
    }
    for (const Resolved &r : m_resolved) {
        if (same(QByteArrayView(r.prefix.data(), qsizetype(r.prefix.size())), prefix))
            return r.binding < 0 ? QByteArrayView() : QByteArrayView(m_bindings[size_t(r.binding)].uri);
    }
    qsizetype found = -1;
    for (qsizetype i = qsizetype(m_bindings.size()) - 1; i >= 0 && found < 0; --i) {
        if (same(m_bindings[size_t(i)].prefix, prefix))
            found = i;
    }
    Resolved &slot = m_resolved[m_nextResolved];
    m_nextResolved = (m_nextResolved + 1) % 4;
    slot.prefix.assign(prefix.data(), size_t(prefix.size()));
    slot.binding = found;
    return found < 0 ? QByteArrayView() : QByteArrayView(m_bindings[size_t(found)].uri);
}

QByteArrayView XmlScanner::namespaceUri() const
{
    return resolve(m_prefix);
}

bool XmlScanner::isElement(QByteArrayView ns, QByteArrayView localName) const
{
    return same(m_name, localName) && same(resolve(m_prefix), ns);
}

QByteArrayView XmlScanner::attribute(QByteArrayView ns, QByteArrayView localName) const
{
    for (const Attribute &a : m_attributes) {
        if (same(a.local, localName) && !a.prefix.isEmpty() && same(resolve(a.prefix), ns))
            return a.value;
    }
    return {};
}

QByteArrayView XmlScanner::prefixedAttribute(QByteArrayView localName) const
{
    for (const Attribute &a : m_attributes) {
        if (same(a.local, localName) && !a.prefix.isEmpty() && !resolve(a.prefix).isEmpty())
            return a.value;
    }
    return {};
}

bool XmlScanner::hasAttribute(QByteArrayView ns, QByteArrayView localName) const
{
    return std::any_of(m_attributes.cbegin(), m_attributes.cend(), [&](const Attribute &a) {
        return same(a.local, localName) && !a.prefix.isEmpty() && same(resolve(a.prefix), ns);
    });
}

QString XmlScanner::decoded(QByteArrayView raw, Normalise mode)
{
    // Decoded into a buffer that is kept, then copied at its size: a text of character references
    // (&#20013;) decodes to an eighth of its bytes, and the cell should not carry the rest as room.
    if (m_scratch.size() < size_t(raw.size()))
        m_scratch.resize(size_t(raw.size()));
    const qsizetype units = decodeInto(raw, mode, !(m_cdata && m_token == Characters), m_scratch.data());
    if (units < 0) {
        fail(Malformed);
        return QString();
    }
    return QString(reinterpret_cast<const QChar *>(m_scratch.data()), units);
}

QString XmlScanner::attributeText(QByteArrayView localName)
{
    return decoded(attribute(localName), Normalise::AttributeBlanks);
}

QString XmlScanner::attributeText(QByteArrayView ns, QByteArrayView localName)
{
    return decoded(attribute(ns, localName), Normalise::AttributeBlanks);
}

QString XmlScanner::text()
{
    return decoded(m_text, Normalise::LineEnds);
}

bool XmlScanner::isWhitespace() const
{
    return std::all_of(m_text.begin(), m_text.end(), isBlank);
}

void XmlScanner::skipCurrentElement()
{
    const qint64 from = m_dropped + m_pos;
    for (int depth = 1; depth > 0;) {
        const Token token = next();
        if (token == StartElement)
            ++depth;
        else if (token == EndElement)
            --depth;
        else if (atEnd())
            break;
    }
    m_skipped += m_dropped + m_pos - from;
}
