#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

// A narrow XML pull parser for the parts of a workbook, read while they decompress: elements,
// attributes, character data (CDATA included), the five predefined entities and character
// references, namespaces. It keeps no more than the open elements' names and one piece of markup,
// so a part of any size costs the same little memory; it refuses a document type (the road to
// entity bombs), nesting past the given depth and anything that is not well-formed. Views it hands
// out point into its buffer and are valid until the next call of next().
class XmlScanner
{
public:
    // Fills buffer with at most size bytes of the part, as UTF-8: the count, 0 at its end.
    using Source = std::function<qint64(char *buffer, qint64 size)>;

    enum Token
    {
        StartElement,
        EndElement,
        Characters,
        EndDocument,
        Invalid
    };

    XmlScanner(Source source, int maxDepth);

    Token next();
    Token token() const { return m_token; }
    bool atEnd() const { return m_token == EndDocument || m_token == Invalid; }
    bool hasError() const { return m_token == Invalid; }
    bool hasDocumentType() const { return m_error == DocumentType; }
    bool tooDeep() const { return m_error == TooDeep; }
    // The line the scanner has reached, 1-based.
    qint64 lineNumber() const;

    // The current element's local name, and its namespace.
    QByteArrayView name() const { return m_name; }
    bool nameIs(QByteArrayView localName) const
    {
        return m_name.size() == localName.size() &&
               std::memcmp(m_name.data(), localName.data(), size_t(m_name.size())) == 0;
    }
    QByteArrayView namespaceUri() const;
    bool isElement(QByteArrayView ns, QByteArrayView localName) const;

    // An attribute of the current start element as written (references not replaced): without a
    // namespace, by namespace, or any prefixed one by its local name (r:id whatever the prefix).
    QByteArrayView attribute(QByteArrayView localName) const
    {
        for (const Attribute &a : m_attributes) {
            if (a.local.size() == localName.size() && a.prefix.isEmpty() &&
                std::memcmp(a.local.data(), localName.data(), size_t(localName.size())) == 0)
                return a.value;
        }
        return {};
    }
    QByteArrayView attribute(QByteArrayView ns, QByteArrayView localName) const;
    QByteArrayView prefixedAttribute(QByteArrayView localName) const;
    bool hasAttribute(QByteArrayView ns, QByteArrayView localName) const;
    // An attribute's value as text (references replaced, blanks normalised); empty when absent.
    // A value that cannot be read so ends the part as not well-formed.
    QString attributeText(QByteArrayView localName);
    QString attributeText(QByteArrayView ns, QByteArrayView localName);

    // Character data: its text (the same failure as above), and whether it is nothing but blanks.
    QString text();
    bool isWhitespace() const;

    // Right after a start tag: when the bytes held go on with <name>text</name>, or with
    // <outer><name>text</name></outer>, the text without markup, reads them whole as their tokens
    // would be read one by one: text() is then that text and the token the end of name (or outer).
    // False, with nothing read, otherwise (nearly always because it is something else, or the part
    // goes on past what is held).
    bool quickTextElement(QByteArrayView name, QByteArrayView outer = {});
    QByteArrayView rawText() const { return m_text; }

    // Reads to the end of the element just started.
    void skipCurrentElement();
    // The bytes of the part passed over so far inside skipped elements: what a reader did not want.
    qint64 skippedBytes() const { return m_skipped; }

    // How character data or an attribute value is decoded: line ends, or all blanks, normalised.
    enum class Normalise
    {
        LineEnds,
        AttributeBlanks
    };

private:
    enum Error
    {
        None,
        Malformed,
        DocumentType,
        TooDeep
    };
    struct Attribute
    {
        QByteArrayView prefix;
        QByteArrayView local;
        QByteArrayView value;
    };
    struct Binding
    {
        int depth;
        QByteArray prefix;
        QByteArray uri;
    };

    Token fail(Error error);
    QString decoded(QByteArrayView raw, Normalise mode);
    // Has at least wanted bytes from m_pos held, reading more as needed; false when the part ends
    // first. Asked before every token, nearly always of bytes already held.
    bool fill(qsizetype wanted) { return m_end - m_pos >= wanted || fillMore(wanted); }
    bool fillMore(qsizetype wanted);
    bool find(QByteArrayView needle, qsizetype from, qsizetype *at);
    bool findTagEnd(qsizetype *at);
    Token scanText();
    Token scanMarkup();
    Token scanStartTag();
    bool quickStartTag();
    bool quickAttribute(const char *s, qsizetype held, qsizetype *i);
    Token openElement(qsizetype gt);
    Token scanEndTag();
    Token scanBang();
    Token endOfInput();
    bool parseAttributes(QByteArrayView tag);
    void popElement();
    QByteArrayView resolve(QByteArrayView prefix) const;
    QByteArrayView view(qsizetype from, qsizetype to) const { return {m_buffer.data() + from, to - from}; }

    Source m_source;
    int m_maxDepth;
    std::vector<char> m_buffer;
    qsizetype m_pos = 0; // next unread byte
    qsizetype m_end = 0; // end of the bytes held
    bool m_sourceEnded = false;
    bool m_atStart = true;    // a byte-order mark may come first
    qint64 m_linesBefore = 0; // line ends in the bytes already dropped from the buffer
    qint64 m_dropped = 0;     // bytes already dropped from the buffer
    qint64 m_skipped = 0;

    Token m_token = EndDocument;
    Error m_error = None;
    bool m_started = false;    // the root element has begun
    bool m_pendingEnd = false; // an empty element's end comes next
    bool m_popPending = false; // an end element's bindings and name go at the next call
    QByteArrayView m_name;
    QByteArrayView m_prefix;
    QByteArrayView m_text;
    bool m_cdata = false;
    std::vector<char16_t> m_scratch; // where text is decoded
    std::vector<Attribute> m_attributes;
    std::vector<Binding> m_bindings;
    // The last prefixes resolved, while the bindings stay as they are: a part's elements use a
    // handful of prefixes over and over, among dozens declared on its root.
    struct Resolved
    {
        std::string prefix;
        qsizetype binding = -1;
    };
    mutable Resolved m_resolved[4];
    mutable int m_nextResolved = 0;
    mutable size_t m_resolvedFor = size_t(-1); // the bindings' generation they were looked up in
    size_t m_generation = 0;                   // counts every change of the bindings
    std::string m_openNames;                   // the open elements' qualified names, one after another
    std::vector<qsizetype> m_nameStarts;       // where each begins in m_openNames
};
