#include "sheet/ClipboardTable.h"

#include "sheet/CostLine.h"

namespace {

void setCell(RowTexts &row, int column, QString text)
{
    static constexpr QString RowTexts::*fields[] = {&RowTexts::Category, &RowTexts::Content, &RowTexts::Expression,
                                                    &RowTexts::AmountText};
    // Columns past the amount are ignored.
    if (column >= 0 && column < 4)
        row.*fields[column] = std::move(text);
}

bool isRowEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool endsCell(QStringView text, qsizetype at)
{
    return at >= text.size() || text[at] == u'\t' || isRowEnd(text[at]);
}

// The position just past the closing quote of a quoted cell that opens at `open`, or -1 when the
// cell is not properly quoted (no closing quote, or text after it before the cell ends).
qsizetype quotedCellEnd(QStringView text, qsizetype open)
{
    qsizetype at = open + 1;
    while (true) {
        at = text.indexOf(u'"', at);
        if (at < 0)
            return -1;
        if (at + 1 < text.size() && text[at + 1] == u'"') {
            at += 2;
            continue;
        }
        return endsCell(text, at + 1) ? at + 1 : -1;
    }
}

} // namespace

QList<RowTexts> ParseTabText(QStringView text)
{
    QList<RowTexts> rows;
    // A byte-order mark that a text editor saved ahead of the first cell is no part of it.
    qsizetype at = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    const qsizetype n = text.size();
    while (at < n) {
        RowTexts row;
        int column = 0;
        while (true) {
            QString cell;
            const qsizetype close = at < n && text[at] == u'"' ? quotedCellEnd(text, at) : -1;
            if (close >= 0) {
                cell = text.mid(at + 1, close - at - 2).toString();
                cell.replace(QLatin1String("\"\""), QLatin1String("\""));
                at = close;
            } else {
                const qsizetype start = at;
                while (!endsCell(text, at))
                    ++at;
                cell = text.mid(start, at - start).toString();
            }
            setCell(row, column, std::move(cell));
            column = qMin(column + 1, 4);
            if (at < n && text[at] == u'\t') {
                ++at;
                continue;
            }
            break;
        }
        // The row end; CR LF is one. After the last row it starts no new row.
        if (at < n && text[at] == u'\r') {
            ++at;
            if (at < n && text[at] == u'\n')
                ++at;
        } else if (at < n && text[at] == u'\n') {
            ++at;
        }
        rows.append(std::move(row));
    }
    // A table copied from a text editor often ends in blank lines: they are no rows to paste.
    while (!rows.isEmpty() && rows.last() == RowTexts())
        rows.removeLast();
    return rows;
}

namespace {

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The name of the tag that opens at `at` (just past '<'), lower case, and whether it closes.
struct Tag
{
    QString name;
    bool closing = false;
    QStringView attributes;
};

Tag readTag(QStringView tag)
{
    Tag result;
    qsizetype i = 0;
    if (i < tag.size() && tag[i] == u'/') {
        result.closing = true;
        ++i;
    }
    const qsizetype start = i;
    while (i < tag.size() && (tag[i].isLetterOrNumber() || tag[i] == u':'))
        ++i;
    result.name = tag.mid(start, i - start).toString().toLower();
    result.attributes = tag.mid(i);
    return result;
}

// colspan="n" of a cell's attributes; 1 when absent or out of reason.
int columnSpan(QStringView attributes)
{
    const QString lower = attributes.toString().toLower();
    const qsizetype at = lower.indexOf(QLatin1String("colspan"));
    if (at < 0)
        return 1;
    qsizetype i = at + 7;
    while (i < lower.size() && (isHtmlSpace(lower[i]) || lower[i] == u'=' || lower[i] == u'"' || lower[i] == u'\''))
        ++i;
    int span = 0;
    while (i < lower.size() && lower[i].isDigit() && span < 100)
        span = span * 10 + lower[i++].digitValue();
    return qBound(1, span, 100);
}

QString decodeEntity(QStringView entity)
{
    if (entity.startsWith(u'#')) {
        bool ok = false;
        const uint code = entity.size() > 1 && (entity[1] == u'x' || entity[1] == u'X') ? entity.mid(2).toUInt(&ok, 16)
                                                                                        : entity.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString(QChar::ReplacementCharacter);
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    static const struct
    {
        const char *name;
        char16_t text;
    } named[] = {{"amp", u'&'},   {"lt", u'<'},        {"gt", u'>'},  {"quot", u'"'},
                 {"apos", u'\''}, {"nbsp", u'\u00A0'}, {"yen", u'¥'}, {"times", u'×'}};
    for (const auto &e : named)
        if (entity == QLatin1String(e.name))
            return QString(QChar(e.text));
    return QString();
}

// Collapses the white space of a cell as a browser shows it; a line break from <br> (kept as
// U+2028 while collecting) stays, and a non-breaking space is an ordinary space.
QString cellText(const QString &raw)
{
    QString out;
    out.reserve(raw.size());
    bool pendingSpace = false;
    for (const QChar c : raw) {
        if (isHtmlSpace(c)) {
            pendingSpace = true;
            continue;
        }
        if (c == QChar(0x2028)) {
            out += u'\n';
            pendingSpace = false;
            continue;
        }
        if (pendingSpace && !out.isEmpty() && !out.endsWith(u'\n'))
            out += u' ';
        pendingSpace = false;
        out += c == QChar(0xA0) ? QChar(u' ') : c;
    }
    return out;
}

// The first table's rows, read tag by tag.
class HtmlTableReader
{
public:
    explicit HtmlTableReader(QStringView html) : m_html(html) {}

    QList<RowTexts> read()
    {
        const qsizetype n = m_html.size();
        qsizetype at = 0;
        while (at < n) {
            if (m_html[at] == u'<') {
                if (!readMarkup(at))
                    break;
                continue;
            }
            if (m_html[at] == u'&' && m_inCell && readEntity(at))
                continue;
            if (m_inCell)
                m_raw += m_html[at];
            ++at;
        }
        endRow();
        return m_rows;
    }

private:
    // A comment, a tag, or a style or script element skipped whole; false at the end of the table
    // (the first table only) or of the text.
    bool readMarkup(qsizetype &at)
    {
        const qsizetype n = m_html.size();
        if (m_html.mid(at).startsWith(QLatin1String("<!--"))) {
            const qsizetype end = m_html.indexOf(QLatin1String("-->"), at + 4);
            at = end < 0 ? n : end + 3;
            return true;
        }
        const qsizetype close = m_html.indexOf(u'>', at + 1);
        if (close < 0)
            return false;
        const Tag tag = readTag(m_html.mid(at + 1, close - at - 1));
        at = close + 1;
        if (!tag.closing && (tag.name == QLatin1String("style") || tag.name == QLatin1String("script"))) {
            const qsizetype end = m_html.indexOf(QStringLiteral("</") + tag.name, at, Qt::CaseInsensitive);
            at = end < 0 ? n : end;
            return true;
        }
        return applyTag(tag);
    }

    bool applyTag(const Tag &tag)
    {
        if (tag.name == QLatin1String("table")) {
            if (tag.closing && m_inTable)
                return false;
            m_inTable = true;
        } else if (!m_inTable) {
            return true;
        } else if (tag.name == QLatin1String("tr")) {
            endRow();
            m_inRow = !tag.closing;
        } else if (tag.name == QLatin1String("td") || tag.name == QLatin1String("th")) {
            endCell();
            if (!tag.closing) {
                m_inRow = true;
                m_inCell = true;
                m_span = columnSpan(tag.attributes);
            }
        } else if (tag.name == QLatin1String("br") && m_inCell) {
            m_raw += QChar(0x2028);
        }
        return true;
    }

    bool readEntity(qsizetype &at)
    {
        // Entities are short; looking further would make a text of many '&' quadratic.
        const qsizetype semi = m_html.mid(at + 1, 10).indexOf(u';') + at + 1;
        if (semi <= at)
            return false;
        const QString decoded = decodeEntity(m_html.mid(at + 1, semi - at - 1));
        if (decoded.isEmpty())
            return false;
        m_raw += decoded;
        at = semi + 1;
        return true;
    }

    void endCell()
    {
        if (!m_inCell)
            return;
        setCell(m_row, m_column, cellText(m_raw));
        // A merged cell takes the positions of the cells it covers; its text goes into the first.
        m_column = qMin(m_column + m_span, 4);
        m_raw.clear();
        m_inCell = false;
    }

    void endRow()
    {
        endCell();
        if (!m_inRow)
            return;
        m_rows.append(std::move(m_row));
        m_row = RowTexts();
        m_column = 0;
        m_inRow = false;
    }

    QStringView m_html;
    QList<RowTexts> m_rows;
    bool m_inTable = false, m_inRow = false, m_inCell = false;
    RowTexts m_row;
    int m_column = 0;
    int m_span = 1;
    QString m_raw;
};

} // namespace

QList<RowTexts> ParseHtmlTable(QStringView html)
{
    return HtmlTableReader(html).read();
}

namespace {

void appendTabCell(QString &out, const QString &text)
{
    const bool quoted = text.startsWith(u'"') || text.contains(u'\t') || text.contains(u'\n') || text.contains(u'\r');
    if (!quoted) {
        out += text;
        return;
    }
    out += u'"';
    out += QString(text).replace(QLatin1String("\""), QLatin1String("\"\""));
    out += u'"';
}

} // namespace

QString RowsAsTabText(const QList<CostLine> &lines)
{
    QString out;
    for (const CostLine &line : lines) {
        appendTabCell(out, line.Category);
        out += u'\t';
        appendTabCell(out, line.Content);
        out += u'\t';
        appendTabCell(out, line.Expression);
        out += u'\t';
        appendTabCell(out, line.AmountText);
        out += u'\n';
    }
    return out;
}

QString AsOneLine(QStringView text, bool dropTrailingLineEnds)
{
    while (dropTrailingLineEnds && (text.endsWith(u'\n') || text.endsWith(u'\r')))
        text.chop(1);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // CR LF is one line break
        if (c == u'\r' || c == u'\n' || c == u'\t')
            out += u' ';
        else if (c >= 0x20 && c != 0x7F)
            out += QChar(c);
    }
    return out;
}
