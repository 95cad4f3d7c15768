#include "excel/read/XlsxReader.h"

#include "excel/read/CellText.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/XmlPart.h"
#include "excel/read/ZipArchive.h"

#include <QSet>
#include <QUrl>

#include <algorithm>
#include <string>

namespace {

constexpr int SheetMaxRows = 1048576;
constexpr int SheetMaxColumns = 16384;

using Relationships = XlsxReader::Relationships;

QString directoryOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString relationshipsPartOf(const QString &part)
{
    const QString dir = directoryOf(part);
    const QString name = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    return (dir.isEmpty() ? QString() : dir + QLatin1Char('/')) + QStringLiteral("_rels/") + name +
           QStringLiteral(".rels");
}

// Targets are relative to the source part's folder, or absolute from the package root ("/xl/...").
QString resolveTarget(const QString &baseDirectory, const QString &target)
{
    QString path = QUrl::fromPercentEncoding(target.toUtf8());
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList segments;
    if (!path.startsWith(QLatin1Char('/')) && !baseDirectory.isEmpty())
        segments = baseDirectory.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty())
                segments.removeLast();
            continue;
        }
        segments.append(segment);
    }
    return segments.join(QLatin1Char('/'));
}

QString findByType(const Relationships &relationships, QLatin1String typeSuffix)
{
    for (auto it = relationships.cbegin(); it != relationships.cend(); ++it) {
        if (it->type.endsWith(typeSuffix))
            return it->target;
    }
    return QString();
}

bool isTrue(QByteArrayView value)
{
    return value == "1" || value == "true";
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Plain decimal digits, at most maxDigits of them, as a number; -1 when they are none.
qint64 parseDigits(QByteArrayView digits, int maxDigits)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return -1;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "AB12" into column 28 and row 12; false when it is no cell reference.
bool parseCellReference(QByteArrayView reference, int *column, int *row)
{
    qsizetype i = 0;
    int col = 0;
    for (; i < reference.size() && i < 3; ++i) {
        const char c = reference.at(i);
        const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        if (upper < 'A' || upper > 'Z')
            break;
        col = col * 26 + (upper - 'A' + 1);
    }
    if (i == 0 || col > SheetMaxColumns)
        return false;
    const qint64 r = parseDigits(reference.sliced(i), 7);
    if (r < 1 || r > SheetMaxRows)
        return false;
    *column = col;
    *row = int(r);
    return true;
}

int parseIndex(QByteArrayView text, int maximum)
{
    text = trimmed(text);
    if (!text.isEmpty() && text.front() == '+')
        text = text.sliced(1);
    const qint64 value = parseDigits(text, 18);
    return value >= 1 && value <= maximum ? int(value) : 0;
}

int parseInt(QByteArrayView text)
{
    return QString::fromUtf8(text).toInt();
}

// The plain text of a shared or inline string: its own text, or its runs; phonetic guides are left out.
QString readStringItem(XmlPart &part)
{
    XmlScanner &xml = part.xml();
    QString text;
    part.quickText("t", &text); // the plain string as nearly every writer stores it
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement) {
            --depth;
        } else if (token == XmlScanner::StartElement) {
            if (xml.nameIs("t"))
                part.appendText(&text);
            else if (xml.nameIs("r"))
                ++depth;
            else
                xml.skipCurrentElement(); // rPr, rPh, phoneticPr
        }
    }
    return CellText::decodeOoxmlEscapes(text);
}

// Rows may come in any order, so a row beyond those wanted does not end the sheet; but once this
// many have come one after another the rest of the sheet is taken to lie beyond as well.
constexpr int RowsBeyondBeforeStop = 1024;

bool isBinaryWorkbook(const ZipArchive &archive, const QString &workbookPart)
{
    return workbookPart.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ||
           (archive.contains(QStringLiteral("xl/workbook.bin")) &&
            !archive.contains(QStringLiteral("xl/workbook.xml")));
}

// Whether the cell element at hand holds a value or text; reads to its end.
bool holdsValue(XmlScanner &xml)
{
    bool found = false;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        const XmlScanner::Token token = xml.next();
        depth += token == XmlScanner::StartElement ? 1 : token == XmlScanner::EndElement ? -1 : 0;
        found = found || (token == XmlScanner::Characters && !xml.isWhitespace());
    }
    return found;
}

bool missingSharedString(WorkbookError *error)
{
    return WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                               QStringLiteral("工作簿已损坏：单元格引用了不存在的共享字符串。"));
}

} // namespace

XlsxReader::XlsxReader(const ZipArchive &archive, const ReadLimits &limits)
    : m_archive(archive), m_limits(limits), m_budget(limits)
{
}

bool XlsxReader::read(CellGrid *grid, WorkbookError *error)
{
    *grid = CellGrid(m_limits.maxColumns);
    if (!(findWorkbook(error) && readWorkbook(error) && findFirstWorksheet(error)))
        return false;
    // The number formats come first, so that a number is placed as soon as it is read; a workbook
    // whose formats cannot be read fails only if a styled number needs them. They are read within a
    // budget of their own: however bloated, they never cost the sheet its reading.
    ReadBudget stylesBudget(m_limits);
    readStyles(stylesBudget, &m_stylesError);
    if (!readSheet(grid, error))
        return false;
    if (m_stylesNeeded) {
        if (error)
            *error = m_stylesError;
        return false;
    }
    return readSharedStrings(error) && placeShared(grid, error);
}

bool XlsxReader::readRelationships(const QString &sourcePart, Relationships *relationships, WorkbookError *error)
{
    const QString name = relationshipsPartOf(sourcePart);
    if (!m_archive.contains(name))
        return true;
    XmlPart part(m_archive, m_budget);
    if (!part.open(name, error))
        return false;
    XmlScanner &xml = part.xml();
    const QString base = directoryOf(sourcePart);
    while (!xml.atEnd()) {
        if (xml.next() != XmlScanner::StartElement || !xml.nameIs("Relationship"))
            continue;
        if (xml.attribute("TargetMode") == "External")
            continue;
        const QString id = xml.attributeText("Id");
        if (!relationships->contains(id))
            relationships->insert(id, {xml.attributeText("Type"), resolveTarget(base, xml.attributeText("Target"))});
    }
    return part.finish(error);
}

bool XlsxReader::findWorkbook(WorkbookError *error)
{
    Relationships packageRelationships;
    if (!readRelationships(QString(), &packageRelationships, error))
        return false;
    m_workbookPart = findByType(packageRelationships, QLatin1String("/officeDocument"));
    if (m_workbookPart.isEmpty())
        m_workbookPart = QStringLiteral("xl/workbook.xml");
    if (isBinaryWorkbook(m_archive, m_workbookPart))
        return WorkbookError::fail(
            error, WorkbookError::Kind::UnsupportedFormat,
            QStringLiteral("不支持 .xlsb 格式（Excel 二进制工作簿）：请在 Excel 中另存为 .xlsx 后再导入。"));
    if (!m_archive.contains(m_workbookPart))
        return WorkbookError::fail(error, WorkbookError::Kind::NotWorkbook,
                                   QStringLiteral("文件不是 Excel 工作簿（缺少工作簿部件）。"));
    return true;
}

// The workbook: its date system and its sheets in order.
bool XlsxReader::readWorkbook(WorkbookError *error)
{
    XmlPart part(m_archive, m_budget);
    if (!part.open(m_workbookPart, error))
        return false;
    XmlScanner &xml = part.xml();
    while (!xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::StartElement) {
            if (xml.nameIs("workbookPr"))
                m_date1904 = isTrue(xml.attribute("date1904"));
            else if (xml.nameIs("sheet") && m_sheetIds.size() < 65536)
                m_sheetIds.append(QString::fromUtf8(xml.prefixedAttribute("id"))); // r:id, whatever the prefix
        } else if (token == XmlScanner::EndElement && xml.nameIs("sheets")) {
            break;
        }
    }
    return part.finish(error) && readRelationships(m_workbookPart, &m_workbookRelationships, error);
}

// The first worksheet by position: chart sheets do not count.
bool XlsxReader::findFirstWorksheet(WorkbookError *error)
{
    for (const QString &id : std::as_const(m_sheetIds)) {
        const auto it = m_workbookRelationships.constFind(id);
        if (it != m_workbookRelationships.cend() && it->type.endsWith(QLatin1String("/worksheet"))) {
            m_sheetPart = it->target;
            return true;
        }
    }
    return WorkbookError::fail(error, WorkbookError::Kind::NoWorksheet, ReadText::noWorksheet());
}

// The sheet's cells inside the limits, read while the part decompresses; shared strings and date
// formats are looked up after.
bool XlsxReader::readSheet(CellGrid *grid, WorkbookError *error)
{
    XmlPart part(m_archive, m_budget);
    if (!part.open(m_sheetPart, error))
        return false;
    XmlScanner &xml = part.xml();
    int row = 0;
    int column = 0;
    int rowsBeyond = 0;
    bool inSheetData = false;
    while (!xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement && xml.nameIs("sheetData"))
            break;
        if (token != XmlScanner::StartElement)
            continue;
        if (xml.nameIs("sheetData")) {
            inSheetData = true;
        } else if (!inSheetData || (!xml.nameIs("row") && !xml.nameIs("c"))) {
            xml.skipCurrentElement(); // views, columns, properties; what a row holds besides cells
        } else if (xml.nameIs("row")) {
            const int given = parseIndex(xml.attribute("r"), SheetMaxRows);
            row = given > 0 ? given : row + 1;
            column = 0;
            rowsBeyond = row > m_limits.maxRows ? rowsBeyond + 1 : 0;
            if (rowsBeyond >= RowsBeyondBeforeStop)
                break;
            if (row < m_limits.firstRow)
                xml.skipCurrentElement();
        } else {
            int cellRow = row, cellColumn = column + 1;
            if (!parseCellReference(xml.attribute("r"), &cellColumn, &cellRow)) {
                cellRow = row;
                cellColumn = column + 1;
            }
            column = cellColumn;
            if (cellRow < m_limits.firstRow || cellColumn > m_limits.maxColumns) {
                xml.skipCurrentElement();
            } else if (cellRow <= m_limits.maxRows) {
                readCell(part, cellRow, cellColumn, grid);
            } else if (holdsValue(xml)) {
                grid->markTextBeyond(); // the caller learns that the sheet goes on; the rest is not read
                break;
            }
        }
    }
    return part.finish(error);
}

void XlsxReader::readCell(XmlPart &part, int row, int column, CellGrid *grid)
{
    XmlScanner &xml = part.xml();
    // Held apart from the scanner's buffer, which moves on; std::string keeps a short one in place.
    const QByteArrayView typeAttribute = xml.attribute("t");
    const std::string type(typeAttribute.data(), size_t(typeAttribute.size()));
    const int style = parseIndex(xml.attribute("s"), 1 << 20);
    QString value;
    QString inlineText;
    // A number, or an inline string, as nearly every cell holds it.
    if (!part.quickText("v", &value) && part.quickText("t", &inlineText, "is"))
        inlineText = CellText::decodeOoxmlEscapes(inlineText);
    while (!xml.atEnd()) {
        const XmlScanner::Token inner = xml.next();
        if (inner == XmlScanner::EndElement)
            break; // the end of c
        if (inner != XmlScanner::StartElement)
            continue;
        if (xml.nameIs("v"))
            value = part.readText();
        else if (xml.nameIs("is"))
            inlineText = readStringItem(part);
        else
            xml.skipCurrentElement();
    }
    if (type == "s") {
        // A shared-string cell without an index is an empty cell, as spreadsheet programs show it.
        const QString index = value.trimmed();
        if (!index.isEmpty()) {
            bool ok = false;
            const qint64 number = index.toLongLong(&ok);
            m_shared.append({row, column, ok && number >= 0 ? number : -1});
        }
    } else if (type == "inlineStr") {
        grid->setText(row, column, inlineText);
    } else if (type == "str") {
        grid->setText(row, column, CellText::decodeOoxmlEscapes(value));
    } else if (type == "b") {
        grid->setText(row, column,
                      value.isEmpty()
                          ? QString()
                          : CellText::fromBool(value == QLatin1String("1") || value == QLatin1String("true")));
    } else if (type == "e") {
        grid->setText(row, column, value);
    } else if (type == "d") {
        grid->setText(row, column, CellText::fromIsoDateTime(value));
    } else if (!value.isEmpty()) {
        grid->setText(row, column, numberText(value, style));
    }
}

// A number as its style shows it: a date, a time or a duration, else the number itself. A cell
// without a style has style 0, whose format is the first of the workbook's cell formats.
QString XlsxReader::numberText(const QString &value, int style)
{
    if (m_stylesError.kind != WorkbookError::Kind::None && style > 0)
        m_stylesNeeded = true;
    const CellText::DateKind kind =
        style >= 0 && style < m_styleKinds.size() ? m_styleKinds.at(style) : CellText::DateKind();
    double number = 0;
    const bool dated = (kind.elapsed || kind.date || kind.time) && CellText::toNumber(value, &number);
    if (dated && kind.elapsed)
        return CellText::fromElapsed(number);
    if (dated)
        return CellText::fromSerial(number, m_date1904, kind.date, kind.time);
    return CellText::fromNumberText(value);
}

// Shared strings: only those the cells use are kept, and the reading stops after the last of them.
bool XlsxReader::readSharedStrings(WorkbookError *error)
{
    QSet<qint64> wanted;
    qint64 lastWanted = -1;
    for (const SharedCell &cell : std::as_const(m_shared)) {
        if (cell.index < 0)
            return missingSharedString(error);
        wanted.insert(cell.index);
        lastWanted = std::max(lastWanted, cell.index);
    }
    if (wanted.isEmpty())
        return true;
    const QString stringsPart = findByType(m_workbookRelationships, QLatin1String("/sharedStrings"));
    if (stringsPart.isEmpty())
        return WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                                   QStringLiteral("工作簿已损坏：缺少共享字符串表。"));
    XmlPart part(m_archive, m_budget);
    if (!part.open(stringsPart, error))
        return false;
    XmlScanner &xml = part.xml();
    qint64 index = 0;
    while (!xml.atEnd() && index <= lastWanted) {
        if (xml.next() != XmlScanner::StartElement || !xml.nameIs("si"))
            continue;
        if (wanted.contains(index))
            m_strings.insert(index, readStringItem(part));
        else
            xml.skipCurrentElement();
        ++index;
    }
    return part.finish(error);
}

// What each style's number format shows of a number: a date, a time, a duration or the number.
bool XlsxReader::readStyles(ReadBudget &budget, WorkbookError *error)
{
    const QString name = findByType(m_workbookRelationships, QLatin1String("/styles"));
    if (name.isEmpty() || !m_archive.contains(name))
        return true;
    XmlPart part(m_archive, budget);
    if (!part.open(name, error))
        return false;
    XmlScanner &xml = part.xml();
    QHash<int, QString> formatCodes; // the workbook's own number formats by id
    QList<int> cellFormats;          // number format id by style index
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::EndElement && xml.nameIs("cellXfs"))
            break; // nothing after it matters
        if (token != XmlScanner::StartElement)
            continue;
        if (xml.nameIs("numFmt")) {
            formatCodes.insert(parseInt(xml.attribute("numFmtId")), xml.attributeText("formatCode"));
        } else if (xml.nameIs("cellXfs")) {
            inCellXfs = true;
        } else if (xml.nameIs("xf") && inCellXfs) {
            cellFormats.append(parseInt(xml.attribute("numFmtId")));
            if (cellFormats.size() > 65536)
                break; // beyond what Excel allows; the rest is of no use
        }
    }
    if (!part.finish(error))
        return false;
    m_styleKinds.reserve(cellFormats.size());
    for (const int id : std::as_const(cellFormats)) {
        const auto custom = formatCodes.constFind(id);
        m_styleKinds.append(custom != formatCodes.cend() ? CellText::formatCodeKind(*custom)
                                                         : CellText::builtinFormatKind(id));
    }
    return true;
}

bool XlsxReader::placeShared(CellGrid *grid, WorkbookError *error)
{
    // A shared string was paid for once when read; every further cell it lands in is paid again,
    // as that is where the text costs.
    QSet<qint64> landed;
    for (const SharedCell &cell : std::as_const(m_shared)) {
        const auto it = m_strings.constFind(cell.index);
        if (it == m_strings.cend())
            return missingSharedString(error);
        if (landed.contains(cell.index) && !m_budget.spendText(it->size()))
            return WorkbookError::fail(error, WorkbookError::Kind::OverBudget, m_budget.message());
        landed.insert(cell.index);
        grid->setText(cell.row, cell.column, *it);
    }
    return true;
}
