#include "excel/read/OdsReader.h"

#include "excel/read/CellText.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/XmlPart.h"
#include "excel/read/ZipArchive.h"

#include <algorithm>

namespace {

const QLatin1String TableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String TextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QLatin1String OfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

bool isElement(const QXmlStreamReader &xml, QLatin1String ns, QLatin1String name)
{
    return xml.name() == name && xml.namespaceUri() == ns;
}

// As in the other readers: once this many rows past those wanted hold nothing, the rest of the
// table is taken to hold nothing either.
constexpr int RowsBeyondBeforeStop = 1024;

qint64 repeatCount(const QXmlStreamReader &xml, QLatin1String attribute)
{
    bool ok = false;
    const qint64 count = xml.attributes().value(TableNs, attribute).toLongLong(&ok);
    return ok && count >= 1 ? std::min<qint64>(count, 1 << 30) : 1;
}

// One paragraph: blanks in the character data collapse to one and are dropped at the start, as
// the format asks; <text:s/>, <text:tab/> and <text:line-break/> give their characters as written.
// What a cell keeps is bounded by the budget, however many spaces an element asks for.
bool readParagraph(XmlPart &part, QString *text)
{
    QXmlStreamReader &xml = part.xml();
    ReadBudget &budget = part.budget();
    bool afterBlank = true;
    int depth = 1;
    QString piece;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            piece.clear();
            for (const QChar c : xml.text()) {
                if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
                    c == QLatin1Char('\r')) {
                    if (!afterBlank)
                        piece.append(QLatin1Char(' '));
                    afterBlank = true;
                } else {
                    piece.append(c);
                    afterBlank = false;
                }
            }
            if (!budget.keep(text, piece))
                return false;
        } else if (token == QXmlStreamReader::StartElement) {
            if (isElement(xml, TextNs, QLatin1String("s"))) {
                bool ok = false;
                qint64 count = xml.attributes().value(TextNs, QLatin1String("c")).toLongLong(&ok);
                if (!ok || count < 1)
                    count = 1;
                if (!budget.keepRepeated(text, QLatin1Char(' '), count))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (isElement(xml, TextNs, QLatin1String("tab"))) {
                if (!budget.keep(text, u"\t"))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (isElement(xml, TextNs, QLatin1String("line-break"))) {
                if (!budget.keep(text, u"\n"))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == TextNs && xml.name() != QLatin1String("ruby-text") &&
                       xml.name() != QLatin1String("note")) {
                ++depth; // spans, links, ruby bases, fields (a date, the sheet's name): their text is shown
            } else {
                xml.skipCurrentElement(); // comments, notes, phonetic guides, drawings
            }
        }
    }
    return true;
}

// The text of a cell's paragraphs, one line each; other content (comments, drawings) is left out.
bool readCellParagraphs(XmlPart &part, QString *text)
{
    QXmlStreamReader &xml = part.xml();
    bool first = true;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            return true;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (isElement(xml, TextNs, QLatin1String("p")) || isElement(xml, TextNs, QLatin1String("h"))) {
            if (!first && !part.budget().keep(text, u"\n"))
                return false;
            first = false;
            if (!readParagraph(part, text))
                return false;
        } else {
            xml.skipCurrentElement();
        }
    }
    return true;
}

bool readCell(XmlPart &part, QString *text)
{
    QXmlStreamReader &xml = part.xml();
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView calcType =
        attributes.value(QLatin1String("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"),
                         QLatin1String("value-type"));
    const QStringView type = attributes.hasAttribute(OfficeNs, QLatin1String("value-type"))
                                 ? attributes.value(OfficeNs, QLatin1String("value-type"))
                                 : calcType;
    // An error (#DIV/0!, #N/A, Err:502) is shown by its text, whatever value the file gives with it.
    if (calcType == QLatin1String("error"))
        return readCellParagraphs(part, text);
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        *text = CellText::fromNumberText(attributes.value(OfficeNs, QLatin1String("value")));
    } else if (type == QLatin1String("date")) {
        *text = CellText::fromIsoDateTime(attributes.value(OfficeNs, QLatin1String("date-value")));
    } else if (type == QLatin1String("time")) {
        *text = CellText::fromIsoDuration(attributes.value(OfficeNs, QLatin1String("time-value")));
    } else if (type == QLatin1String("boolean")) {
        *text = CellText::fromBool(attributes.value(OfficeNs, QLatin1String("boolean-value")) == QLatin1String("true"));
    } else if (attributes.hasAttribute(OfficeNs, QLatin1String("string-value"))) {
        if (!part.budget().keep(text, attributes.value(OfficeNs, QLatin1String("string-value"))))
            return false;
    } else {
        return readCellParagraphs(part, text);
    }
    xml.skipCurrentElement();
    return true;
}

// The manifest names the parts that are stored encrypted (a document saved with a password).
bool isEncrypted(const ZipArchive &archive, ReadBudget &budget)
{
    const QString manifest = QStringLiteral("META-INF/manifest.xml");
    if (!archive.contains(manifest))
        return false;
    XmlPart part(archive, budget);
    if (!part.open(manifest, nullptr))
        return false;
    QXmlStreamReader &xml = part.xml();
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("encryption-data"))
            return true;
    }
    return false;
}

} // namespace

OdsReader::OdsReader(const ZipArchive &archive, const ReadLimits &limits)
    : m_archive(archive), m_limits(limits), m_budget(limits)
{
}

bool OdsReader::read(CellGrid *grid, WorkbookError *error)
{
    *grid = CellGrid();
    return checkMimeType(error) && refuseEncrypted(error) && readContent(grid, error);
}

bool OdsReader::checkMimeType(WorkbookError *error)
{
    const QString name = QStringLiteral("mimetype");
    if (!m_archive.contains(name))
        return true;
    QByteArray mimeType;
    if (!m_archive.readEntry(name, 1024, &mimeType, error))
        return false;
    if (!mimeType.trimmed().startsWith("application/vnd.oasis.opendocument.spreadsheet"))
        return WorkbookError::fail(error, WorkbookError::Kind::NotWorkbook,
                                   QStringLiteral("文件不是 OpenDocument 表格文档。"));
    return true;
}

bool OdsReader::refuseEncrypted(WorkbookError *error)
{
    if (isEncrypted(m_archive, m_budget))
        return WorkbookError::fail(error, WorkbookError::Kind::Encrypted, WorkbookError::encryptedText());
    return true;
}

bool OdsReader::readContent(CellGrid *grid, WorkbookError *error)
{
    XmlPart part(m_archive, m_budget);
    if (!part.open(QStringLiteral("content.xml"), error))
        return false;
    QXmlStreamReader &xml = part.xml();
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && isElement(xml, TableNs, QLatin1String("table"))) {
            readRows(part, grid);
            return part.finish(error);
        }
    }
    return part.finish(error) &&
           WorkbookError::fail(error, WorkbookError::Kind::NoWorksheet, QStringLiteral("工作簿中没有工作表。"));
}

// The rows of the table, in row groups nested to any depth: walked without recursion, so that no
// nesting in a file can exhaust the stack.
bool OdsReader::readRows(XmlPart &part, CellGrid *grid)
{
    QXmlStreamReader &xml = part.xml();
    qint64 groups = 0; // open row groups inside the table
    while (!m_done && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (groups == 0)
                return true; // the end of the table
            --groups;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (isElement(xml, TableNs, QLatin1String("table-row"))) {
            if (!readRow(part, grid))
                return false;
        } else if (isElement(xml, TableNs, QLatin1String("table-header-rows")) ||
                   isElement(xml, TableNs, QLatin1String("table-row-group")) ||
                   isElement(xml, TableNs, QLatin1String("table-rows"))) {
            ++groups;
        } else {
            xml.skipCurrentElement();
        }
    }
    return true;
}

bool OdsReader::readRow(XmlPart &part, CellGrid *grid)
{
    QXmlStreamReader &xml = part.xml();
    const qint64 repeat = repeatCount(xml, QLatin1String("number-rows-repeated"));
    if (m_row + repeat < m_limits.firstRow) {
        m_row += repeat; // rows that are not read at all
        xml.skipCurrentElement();
        return true;
    }
    QStringList cells;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const bool cell = isElement(xml, TableNs, QLatin1String("table-cell")) ||
                          isElement(xml, TableNs, QLatin1String("covered-table-cell"));
        if (!cell || cells.size() >= m_limits.maxColumns) {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 columns = repeatCount(xml, QLatin1String("number-columns-repeated"));
        QString text;
        // A covered cell lies under a merged cell: spreadsheet programs show nothing of it.
        if (isElement(xml, TableNs, QLatin1String("covered-table-cell")))
            xml.skipCurrentElement();
        else if (!readCell(part, &text)) {
            m_done = true;
            return false;
        }
        for (qint64 k = 0; k < columns && cells.size() < m_limits.maxColumns; ++k)
            cells.append(text);
    }
    const qint64 end = m_row + repeat;
    for (; m_row < end && m_row < m_limits.maxRows;) {
        ++m_row;
        for (int c = 0; m_row >= m_limits.firstRow && c < cells.size(); ++c) {
            if (!cells.at(c).isEmpty())
                grid->setText(int(m_row), c + 1, cells.at(c));
        }
    }
    // Past the rows wanted, a row with text tells the caller that the sheet goes on; empty rows
    // there are passed over for a while, as programs write a long run of them at the end.
    if (end > m_limits.maxRows &&
        std::any_of(cells.cbegin(), cells.cend(), [](const QString &t) { return !t.isEmpty(); }))
        grid->markTextBeyond();
    m_row = end;
    m_done = grid->textBeyond() || (end > m_limits.maxRows && ++m_rowsBeyond >= RowsBeyondBeforeStop);
    return true;
}
