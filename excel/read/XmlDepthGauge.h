#pragma once

#include <QByteArrayView>

// Follows how deep the elements of an XML text nest, from its bytes as they come, without parsing
// it: the parser keeps every open element, so a small file of nothing but nested start tags could
// make it take gigabytes. Character data, attribute values, comments, processing instructions and
// CDATA sections are passed over, so that a '<' inside them does not count.
class XmlDepthGauge
{
public:
    // Feeds the next bytes; false once the nesting has passed maxDepth.
    bool feed(QByteArrayView bytes, int maxDepth);
    int depth() const { return m_depth; }

private:
    enum State
    {
        Text,
        TagOpen,    // after '<'
        StartTag,   // inside <name ...>
        EndTag,     // inside </name>
        Quoted,     // an attribute value inside a start tag
        Bang,       // after "<!"
        BangDash,   // after "<!-"
        Markup,     // <! ... > that is no comment or CDATA (a DTD, refused later anyway)
        Comment,    // <!-- ... -->
        CData,      // <![CDATA[ ... ]]>
        Instruction // <? ... ?>
    };
    State m_state = Text;
    char m_quote = 0;
    char m_previous = 0;
    char m_beforePrevious = 0;
    int m_depth = 0;
};
