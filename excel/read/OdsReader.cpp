#include "excel/read/OdsReader.h"

#include "excel/read/CellText.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/XmlPart.h"
#include "excel/read/ZipArchive.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr QByteArrayView TableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QByteArrayView TextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QByteArrayView OfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QByteArrayView CalcExtNs("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

bool isElement(const XmlScanner &xml, QByteArrayView ns, QByteArrayView name)
{
    return xml.isElement(ns, name);
}

qint64 toCount(QByteArrayView text)
{
    bool ok = false;
    const qint64 count = QString::fromUtf8(text).trimmed().toLongLong(&ok);
    return ok ? count : 0;
}

// As in the other readers: once this many rows past those wanted hold nothing, the rest of the
// table is taken to hold nothing either.
constexpr int RowsBeyondBeforeStop = 1024;

qint64 repeatCount(const XmlScanner &xml, QByteArrayView attribute)
{
    const QByteArrayView value = xml.attribute(TableNs, attribute);
    const qint64 count = value.isEmpty() ? 0 : toCount(value);
    return count >= 1 ? std::min<qint64>(count, 1 << 30) : 1;
}

// One paragraph: blanks in the character data collapse to one and are dropped at the start, as
// the format asks; <text:s/>, <text:tab/> and <text:line-break/> give their characters as written.
// What a cell keeps is bounded by the budget, however many spaces an element asks for.
bool readParagraph(XmlPart &part, QString *text)
{
    XmlScanner &xml = part.xml();
    ReadBudget &budget = part.budget();
    bool afterBlank = true;
    int depth = 1;
    QString piece;
    while (depth > 0 && !xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement) {
            --depth;
        } else if (token == XmlScanner::Characters) {
            const QString characters = xml.text();
            // Written in place: no piece is longer than the characters it comes from.
            piece.resize(characters.size());
            QChar *out = piece.data();
            for (const QChar c : characters) {
                if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
                    c == QLatin1Char('\r')) {
                    if (!afterBlank)
                        *out++ = QLatin1Char(' ');
                    afterBlank = true;
                } else {
                    *out++ = c;
                    afterBlank = false;
                }
            }
            piece.truncate(out - piece.constData());
            if (!budget.keep(text, piece))
                return false;
        } else if (token == XmlScanner::StartElement) {
            if (isElement(xml, TextNs, "s")) {
                qint64 count = toCount(xml.attribute(TextNs, "c"));
                if (count < 1)
                    count = 1;
                if (!budget.keepRepeated(text, QLatin1Char(' '), count))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (isElement(xml, TextNs, "tab")) {
                if (!budget.keep(text, u"\t"))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (isElement(xml, TextNs, "line-break")) {
                if (!budget.keep(text, u"\n"))
                    return false;
                afterBlank = false;
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == TextNs && !xml.nameIs("ruby-text") && !xml.nameIs("note")) {
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
    XmlScanner &xml = part.xml();
    bool first = true;
    while (!xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement)
            return true;
        if (token != XmlScanner::StartElement)
            continue;
        if (isElement(xml, TextNs, "p") || isElement(xml, TextNs, "h")) {
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
    XmlScanner &xml = part.xml();
    // Views into the scanner's buffer: only looked at before the scanner moves on.
    const QByteArrayView calcType = xml.attribute(CalcExtNs, "value-type");
    const QByteArrayView type =
        xml.hasAttribute(OfficeNs, "value-type") ? xml.attribute(OfficeNs, "value-type") : calcType;
    // An error (#DIV/0!, #N/A, Err:502) is shown by its text, whatever value the file gives with it.
    if (calcType == "error")
        return readCellParagraphs(part, text);
    if (type == "float" || type == "percentage" || type == "currency") {
        *text = CellText::fromNumberText(xml.attributeText(OfficeNs, "value"));
    } else if (type == "date") {
        *text = CellText::fromIsoDateTime(xml.attributeText(OfficeNs, "date-value"));
    } else if (type == "time") {
        *text = CellText::fromIsoDuration(xml.attributeText(OfficeNs, "time-value"));
    } else if (type == "boolean") {
        *text = CellText::fromBool(xml.attribute(OfficeNs, "boolean-value") == "true");
    } else if (xml.hasAttribute(OfficeNs, "string-value")) {
        if (!part.budget().keep(text, xml.attributeText(OfficeNs, "string-value")))
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
    XmlScanner &xml = part.xml();
    while (!xml.atEnd()) {
        if (xml.next() == XmlScanner::StartElement && xml.nameIs("encryption-data"))
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
    *grid = CellGrid(m_limits.maxColumns);
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
    XmlScanner &xml = part.xml();
    while (!xml.atEnd()) {
        if (xml.next() == XmlScanner::StartElement && isElement(xml, TableNs, "table")) {
            readRows(part, grid);
            return part.finish(error);
        }
    }
    return part.finish(error) && WorkbookError::fail(error, WorkbookError::Kind::NoWorksheet, ReadText::noWorksheet());
}

// The rows of the table, in row groups nested to any depth: walked without recursion, so that no
// nesting in a file can exhaust the stack.
bool OdsReader::readRows(XmlPart &part, CellGrid *grid)
{
    XmlScanner &xml = part.xml();
    qint64 groups = 0; // open row groups inside the table
    while (!m_done && !xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement) {
            if (groups == 0)
                return true; // the end of the table
            --groups;
            continue;
        }
        if (token != XmlScanner::StartElement)
            continue;
        if (isElement(xml, TableNs, "table-row")) {
            if (!readRow(part, grid))
                return false;
        } else if (isElement(xml, TableNs, "table-header-rows") || isElement(xml, TableNs, "table-row-group") ||
                   isElement(xml, TableNs, "table-rows")) {
            ++groups;
        } else {
            xml.skipCurrentElement();
        }
    }
    return true;
}

bool OdsReader::readRow(XmlPart &part, CellGrid *grid)
{
    XmlScanner &xml = part.xml();
    const qint64 repeat = repeatCount(xml, "number-rows-repeated");
    if (m_row + repeat < m_limits.firstRow) {
        m_row += repeat; // rows that are not read at all
        xml.skipCurrentElement();
        return true;
    }
    QStringList cells;
    while (!xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement)
            break;
        if (token != XmlScanner::StartElement)
            continue;
        const bool cell = isElement(xml, TableNs, "table-cell") || isElement(xml, TableNs, "covered-table-cell");
        if (!cell || cells.size() >= m_limits.maxColumns) {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 columns = repeatCount(xml, "number-columns-repeated");
        QString text;
        // A covered cell lies under a merged cell: spreadsheet programs show nothing of it.
        if (isElement(xml, TableNs, "covered-table-cell"))
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
