#include "excel/read/XmlScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

// The workbook parts' XML scanner: what it hands the readers, and what it refuses, whatever the
// pieces the decompressed bytes come in.
namespace {

// The tokens as text: <name> for a start (with its attribute a, when given), text between them,
// </name> for an end; "!malformed", "!dtd" or "!deep" where the scanner stopped. With quick, a
// <t> element after every start is read whole where the scanner can, which must change nothing.
std::string scan(const QByteArray &document, qint64 piece, int maxDepth = 8, bool quick = false)
{
    qsizetype at = 0;
    XmlScanner xml(
        [&](char *buffer, qint64 size) {
            const qint64 n = std::min<qint64>({size, piece, document.size() - at});
            std::memcpy(buffer, document.constData() + at, size_t(n));
            at += n;
            // The room not filled holds what a reader past the bytes held would wrongly take in: the
            // rest of a tag, or a text element.
            static const char *const poisons[] = {"<t>!</t></r>/>", "/><t>!</t></r>", "><t>!</t></r>/",
                                                  "r><t>!</t></r>"};
            const char *const poison = poisons[at % 4];
            for (qint64 k = n; k < size; ++k)
                buffer[k] = poison[(k - n) % 14];
            return n;
        },
        maxDepth);
    std::string out;
    while (!xml.atEnd()) {
        switch (xml.next()) {
        case XmlScanner::StartElement:
            out += "<" + xml.name().toByteArray().toStdString();
            if (!xml.attribute("a").isEmpty())
                out += " a=" + xml.attributeText("a").toStdString();
            out += ">";
            if (quick && xml.quickTextElement("t", "is")) {
                out += "<is><t>" + xml.text().toStdString();
                out += xml.hasError() ? "" : "</t></is>";
            } else if (quick && xml.quickTextElement("t")) {
                out += "<t>" + xml.text().toStdString();
                out += xml.hasError() ? "" : "</t>";
            }
            break;
        case XmlScanner::EndElement:
            out += "</" + xml.name().toByteArray().toStdString() + ">";
            break;
        case XmlScanner::Characters:
            out += xml.text().toStdString();
            break;
        default:
            break;
        }
    }
    if (xml.hasDocumentType())
        out += "!dtd";
    else if (xml.tooDeep())
        out += "!deep";
    else if (xml.hasError())
        out += "!malformed";
    return out;
}

struct Case
{
    const char *name;
    QByteArray document;
    std::string tokens;
};

const Case cases[] = {
    {"elements, references and CDATA",
     "<?xml version=\"1.0\"?><!-- c --><r><c a='1 &amp; 2'/>&#x4E2D;&#25991;&lt;<![CDATA[&x;]]></r>",
     "<r><c a=1 & 2></c>中文<&x;</r>"},
    {"a byte-order mark first", "\xEF\xBB\xBF<r>x</r>", "<r>x</r>"},
    {"line ends, and blanks in an attribute", "<r a=\"x\ty\r\nz\">1\r\n2\r3</r>", "<r a=x y z>1\n2\n3</r>"},
    {"cut off", "<r><c>1</c>", "<r><c>1</c>!malformed"},
    {"end tag of another element", "<r><c></r>", "<r><c>!malformed"},
    {"unknown entity", "<r>&e;</r>", "<r>!malformed"},
    {"character reference to nothing allowed", "<r>&#0;</r>", "<r>!malformed"},
    {"character references as long as they go", "<r>&#000128512;&#1114111;</r>",
     "<r>\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF</r>"},
    {"character reference past the last character", "<r>&#1114112;</r>", "<r>!malformed"},
    {"character reference too long", "<r>&#0000000065;</r>", "<r>!malformed"},
    {"character reference with a letter", "<r>&#65a;</r>", "<r>!malformed"},
    {"five-digit reference with a byte past '9'", "<r>&#2599:;</r>", "<r>!malformed"},
    {"five-digit reference to a surrogate", "<r>&#55296;</r>", "<r>!malformed"},
    {"five-digit reference past U+FFFF", "<r>&#70000;</r>", "<r>\xF0\x91\x85\xB0</r>"},
    {"hexadecimal references in either case", "<r>&#x4e2d;&#x4E2D;</r>", "<r>\xE4\xB8\xAD\xE4\xB8\xAD</r>"},
    {"malformed UTF-8 in the text", "<r>\xC3\x28</r>", "<r>!malformed"},
    {"document type", "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>", "!dtd"},
    {"nesting past the limit", QByteArray("<a>").repeated(9) + QByteArray("</a>").repeated(9),
     "<a><a><a><a><a><a><a><a>!deep"},
    {"a second root", "<r/><s/>", "<r></r>!malformed"},
    {"text outside the root", "<r/>x", "<r></r>!malformed"},
    {"unquoted attribute", "<r a=1/>", "!malformed"},
    {"'<' in an attribute", "<r a=\"<\"/>", "!malformed"},
    {"'>' in attributes, the root's first", "<r a=\"x>y\" b='/>'><c a='>'/></r>", "<r a=x>y><c a=>></c></r>"},
    {"'<' in an attribute after a '>'", "<r><c a=\">\" b=\"<\"/></r>", "<r>!malformed"},
    {"empty part", "", "!malformed"},
    {"text elements", "<r><t>a&amp;b</t><t></t><c/><t>x</t></r>", "<r><t>a&b</t><t></t><c></c><t>x</t></r>"},
    {"text element with a bad reference", "<r><t>&e;</t></r>", "<r><t>!malformed"},
    {"text element ended by another", "<r><t>x</u></r>", "<r><t>x!malformed"},
    {"inline strings", "<r><is><t>x</t></is><is><t>y</t><t>z</t></is><is><t>v</t></c></r>",
     "<r><is><t>x</t></is><is><t>y</t><t>z</t></is><is><t>v</t>!malformed"},
    {"inline string past the nesting limit", QByteArray("<a>").repeated(7) + "<is><t>x</t></is>",
     "<a><a><a><a><a><a><a><is>!deep"},
    {"text element past the nesting limit", QByteArray("<a>").repeated(8) + "<t>x</t>" + QByteArray("</a>").repeated(8),
     "<a><a><a><a><a><a><a><a>!deep"},
};

} // namespace

TEST(XmlScanner, TokensAndRefusalsInAnyPieces)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scan(c.document, 1 << 20), c.tokens);
        EXPECT_EQ(scan(c.document, 1), c.tokens); // one byte at a time
        EXPECT_EQ(scan(c.document, 1 << 20, 8, true), c.tokens);
        EXPECT_EQ(scan(c.document, 1, 8, true), c.tokens); // only what is held may be read whole
    }
}

// A text longer than the scanner holds at once comes in pieces that never split a character, a
// reference or a line end.
TEST(XmlScanner, LongTextKeepsEveryCharacter)
{
    const QByteArray unit = "中&amp;\r\n";
    const QByteArray document = "<r>" + unit.repeated(40000) + "</r>";
    const std::string expected = "<r>" + QString(QStringLiteral("中&\n")).repeated(40000).toStdString() + "</r>";
    EXPECT_EQ(scan(document, 4093), expected);
}

TEST(XmlScanner, NamespacesByTheirDeclarations)
{
    const QByteArray document =
        "<o:r xmlns:o=\"urn:o\" xmlns:t=\"urn:t\"><t:c t:n=\"5\" x:id=\"r1\" xmlns:x=\"urn:x\"/></o:r>";
    qsizetype at = 0;
    XmlScanner xml(
        [&](char *buffer, qint64 size) {
            const qint64 n = std::min<qint64>(size, document.size() - at);
            std::memcpy(buffer, document.constData() + at, size_t(n));
            at += n;
            return n;
        },
        8);
    ASSERT_EQ(xml.next(), XmlScanner::StartElement);
    EXPECT_TRUE(xml.isElement("urn:o", "r"));
    ASSERT_EQ(xml.next(), XmlScanner::StartElement);
    EXPECT_TRUE(xml.isElement("urn:t", "c"));
    EXPECT_FALSE(xml.isElement("urn:o", "c"));
    EXPECT_EQ(xml.attribute("urn:t", "n"), "5");
    EXPECT_EQ(xml.prefixedAttribute("id"), "r1");
    EXPECT_TRUE(xml.attribute("n").isEmpty()); // a prefixed attribute is not the plain one
}
