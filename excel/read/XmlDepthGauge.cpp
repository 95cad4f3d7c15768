#include "excel/read/XmlDepthGauge.h"

bool XmlDepthGauge::feed(QByteArrayView bytes, int maxDepth)
{
    for (const char c : bytes) {
        switch (m_state) {
        case Text:
            if (c == '<')
                m_state = TagOpen;
            break;
        case TagOpen:
            m_state = c == '/' ? EndTag : c == '?' ? Instruction : c == '!' ? Bang : StartTag;
            if (m_state == StartTag && ++m_depth > maxDepth)
                return false;
            break;
        case StartTag:
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = Quoted;
            } else if (c == '>') {
                if (m_previous == '/')
                    --m_depth; // an empty element
                m_state = Text;
            }
            break;
        case Quoted:
            if (c == m_quote)
                m_state = StartTag;
            break;
        case EndTag:
            if (c == '>') {
                --m_depth;
                m_state = Text;
            }
            break;
        case Bang:
            m_state = c == '[' ? CData : c == '-' ? BangDash : c == '>' ? Text : Markup;
            break;
        case BangDash:
            m_state = c == '-' ? Comment : c == '>' ? Text : Markup;
            break;
        case Markup:
            if (c == '>')
                m_state = Text;
            break;
        case Comment: // ends with "-->", a CDATA section with "]]>", an instruction with "?>"
        case CData:
        case Instruction: {
            const char closer = m_state == Comment ? '-' : m_state == CData ? ']' : '?';
            if (c == '>' && m_previous == closer && (m_state == Instruction || m_beforePrevious == closer))
                m_state = Text;
            break;
        }
        }
        m_beforePrevious = m_previous;
        m_previous = c;
    }
    return true;
}
