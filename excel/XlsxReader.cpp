#include "excel/CellText.h"
#include "excel/WorkbookReader.h"
#include "excel/XmlPart.h"
#include "excel/ZipArchive.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int SheetMaxRows = 1048576;
constexpr int SheetMaxColumns = 16384;

struct Relationship
{
    QString type;
    QString target; // the part's name inside the archive, resolved
};
using Relationships = QHash<QString, Relationship>;

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

bool readRelationships(const ZipArchive &archive, ReadBudget &budget, const QString &sourcePart,
                       Relationships *relationships, QString *error)
{
    const QString name = relationshipsPartOf(sourcePart);
    if (!archive.contains(name))
        return true;
    XmlPart part(archive, budget);
    if (!part.open(name, error))
        return false;
    QXmlStreamReader &xml = part.xml();
    const QString base = directoryOf(sourcePart);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Relationship"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1String("TargetMode")) == QLatin1String("External"))
            continue;
        const QString id = attributes.value(QLatin1String("Id")).toString();
        if (!relationships->contains(id))
            relationships->insert(id, {attributes.value(QLatin1String("Type")).toString(),
                                       resolveTarget(base, attributes.value(QLatin1String("Target")).toString())});
    }
    return part.finish(error);
}

QString findByType(const Relationships &relationships, QLatin1String typeSuffix)
{
    for (auto it = relationships.cbegin(); it != relationships.cend(); ++it) {
        if (it->type.endsWith(typeSuffix))
            return it->target;
    }
    return QString();
}

QString relationshipId(const QXmlStreamAttributes &attributes)
{
    // r:id, whatever the prefix (transitional and strict workbooks use different namespaces).
    for (const QXmlStreamAttribute &attribute : attributes) {
        if (attribute.name() == QLatin1String("id") && !attribute.namespaceUri().isEmpty())
            return attribute.value().toString();
    }
    return QString();
}

bool isTrue(QStringView value)
{
    return value == QLatin1String("1") || value == QLatin1String("true");
}

// "AB12" into column 28 and row 12; false when it is no cell reference.
bool parseCellReference(QStringView reference, int *column, int *row)
{
    qsizetype i = 0;
    int col = 0;
    while (i < reference.size() && i < 3 && reference.at(i).isLetter() && reference.at(i).unicode() < 128) {
        col = col * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
        ++i;
    }
    if (i == 0 || col > SheetMaxColumns)
        return false;
    const QStringView digits = reference.mid(i);
    if (digits.isEmpty() || digits.size() > 7)
        return false;
    bool ok = false;
    const int r = digits.toInt(&ok);
    if (!ok || r < 1 || r > SheetMaxRows)
        return false;
    *column = col;
    *row = r;
    return true;
}

int parseIndex(QStringView text, int maximum)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok && value >= 1 && value <= maximum ? int(value) : 0;
}

// The plain text of a shared or inline string: its own text, or its runs; phonetic guides are left out.
QString readStringItem(XmlPart &part)
{
    QXmlStreamReader &xml = part.xml();
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("t"))
                part.appendText(&text);
            else if (xml.name() == QLatin1String("r"))
                ++depth;
            else
                xml.skipCurrentElement(); // rPr, rPh, phoneticPr
        }
    }
    return CellText::decodeOoxmlEscapes(text);
}

using CellText::DateKind;

struct NumberFormats
{
    QHash<int, QString> codes; // custom formats by id
    QList<int> cellFormats;    // cellXfs: format id by style index
};

bool readStyles(const ZipArchive &archive, ReadBudget &budget, const QString &name, NumberFormats *formats,
                QString *error)
{
    XmlPart part(archive, budget);
    if (!part.open(name, error))
        return false;
    QXmlStreamReader &xml = part.xml();
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView element = xml.name();
            if (element == QLatin1String("numFmt")) {
                const QXmlStreamAttributes attributes = xml.attributes();
                formats->codes.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                                      attributes.value(QLatin1String("formatCode")).toString());
            } else if (element == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (element == QLatin1String("xf") && inCellXfs) {
                formats->cellFormats.append(xml.attributes().value(QLatin1String("numFmtId")).toInt());
                if (formats->cellFormats.size() > 65536)
                    break; // beyond what Excel allows; the rest is of no use
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs")) {
            break; // nothing after it matters
        }
    }
    return part.finish(error);
}

DateKind styleKind(const NumberFormats &formats, int style)
{
    if (style < 0 || style >= formats.cellFormats.size())
        return {};
    const int id = formats.cellFormats.at(style);
    const auto custom = formats.codes.constFind(id);
    if (custom != formats.codes.cend())
        return CellText::formatCodeKind(*custom);
    return CellText::builtinFormatKind(id);
}

struct PendingCell
{
    int row;
    int column;
    enum Kind
    {
        Shared,
        Number
    } kind;
    QString value;
    int style = 0;
};

// Rows may come in any order, so a row beyond those wanted does not end the sheet; but once this
// many have come one after another the rest of the sheet is taken to lie beyond as well.
constexpr int RowsBeyondBeforeStop = 1024;

bool isBinaryWorkbook(const ZipArchive &archive, const QString &workbookPart)
{
    return workbookPart.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ||
           (archive.contains(QStringLiteral("xl/workbook.bin")) &&
            !archive.contains(QStringLiteral("xl/workbook.xml")));
}

} // namespace

bool ReadXlsxData(const QByteArray &data, const ReadLimits &limits, CellGrid *grid, QString *error)
{
    *grid = CellGrid();
    ZipArchive archive;
    if (!archive.open(data, error))
        return false;
    return ReadXlsxArchive(archive, limits, grid, error);
}

bool ReadXlsxArchive(const ZipArchive &archive, const ReadLimits &limits, CellGrid *grid, QString *error)
{
    *grid = CellGrid();
    ReadBudget budget(limits);

    Relationships packageRelationships;
    if (!readRelationships(archive, budget, QString(), &packageRelationships, error))
        return false;
    QString workbookPart = findByType(packageRelationships, QLatin1String("/officeDocument"));
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (isBinaryWorkbook(archive, workbookPart)) {
        if (error)
            *error = QStringLiteral("不支持 .xlsb 格式（Excel 二进制工作簿）：请在 Excel 中另存为 .xlsx 后再导入。");
        return false;
    }
    if (!archive.contains(workbookPart)) {
        if (error)
            *error = QStringLiteral("文件不是 Excel 工作簿（缺少工作簿部件）。");
        return false;
    }

    // The workbook: its date system and its sheets in order.
    bool date1904 = false;
    QStringList sheetIds;
    {
        XmlPart part(archive, budget);
        if (!part.open(workbookPart, error))
            return false;
        QXmlStreamReader &xml = part.xml();
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (xml.name() == QLatin1String("workbookPr"))
                    date1904 = isTrue(xml.attributes().value(QLatin1String("date1904")));
                else if (xml.name() == QLatin1String("sheet") && sheetIds.size() < 65536)
                    sheetIds.append(relationshipId(xml.attributes()));
            } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("sheets")) {
                break;
            }
        }
        if (!part.finish(error))
            return false;
    }
    Relationships workbookRelationships;
    if (!readRelationships(archive, budget, workbookPart, &workbookRelationships, error))
        return false;
    // The first worksheet by position: chart sheets do not count.
    QString sheetPart;
    for (const QString &id : std::as_const(sheetIds)) {
        const auto it = workbookRelationships.constFind(id);
        if (it != workbookRelationships.cend() && it->type.endsWith(QLatin1String("/worksheet"))) {
            sheetPart = it->target;
            break;
        }
    }
    if (sheetPart.isEmpty()) {
        if (error)
            *error = QStringLiteral("工作簿中没有工作表。");
        return false;
    }

    // The sheet's cells inside the limits, read while the part decompresses; shared strings and
    // date formats are looked up after.
    QList<PendingCell> pending;
    {
        XmlPart part(archive, budget);
        if (!part.open(sheetPart, error))
            return false;
        QXmlStreamReader &xml = part.xml();
        int row = 0;
        int column = 0;
        int rowsBeyond = 0;
        bool inSheetData = false;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("sheetData"))
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QStringView element = xml.name();
            if (element == QLatin1String("sheetData")) {
                inSheetData = true;
                continue;
            }
            if (!inSheetData) {
                xml.skipCurrentElement(); // views, columns, properties
                continue;
            }
            if (element == QLatin1String("row")) {
                const int given = parseIndex(xml.attributes().value(QLatin1String("r")), SheetMaxRows);
                row = given > 0 ? given : row + 1;
                column = 0;
                if (row > limits.maxRows) {
                    xml.skipCurrentElement();
                    if (++rowsBeyond >= RowsBeyondBeforeStop)
                        break;
                } else {
                    rowsBeyond = 0;
                    if (row < limits.firstRow)
                        xml.skipCurrentElement();
                }
                continue;
            }
            if (element != QLatin1String("c")) {
                xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes attributes = xml.attributes();
            int cellRow = row, cellColumn = column + 1;
            if (!parseCellReference(attributes.value(QLatin1String("r")), &cellColumn, &cellRow)) {
                cellRow = row;
                cellColumn = column + 1;
            }
            column = cellColumn;
            if (cellRow < limits.firstRow || cellRow > limits.maxRows || cellColumn > limits.maxColumns) {
                xml.skipCurrentElement();
                continue;
            }
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = parseIndex(attributes.value(QLatin1String("s")), 1 << 20);
            QString value;
            QString inlineText;
            while (!xml.atEnd()) {
                const QXmlStreamReader::TokenType inner = xml.readNext();
                if (inner == QXmlStreamReader::EndElement)
                    break; // the end of c
                if (inner != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == QLatin1String("v"))
                    value = part.readText();
                else if (xml.name() == QLatin1String("is"))
                    inlineText = readStringItem(part);
                else
                    xml.skipCurrentElement();
            }
            if (type == QLatin1String("s")) {
                // A shared-string cell without an index is an empty cell, as spreadsheet programs show it.
                if (!value.trimmed().isEmpty())
                    pending.append({cellRow, cellColumn, PendingCell::Shared, value.trimmed()});
            } else if (type == QLatin1String("inlineStr")) {
                grid->setText(cellRow, cellColumn, inlineText);
            } else if (type == QLatin1String("str")) {
                grid->setText(cellRow, cellColumn, CellText::decodeOoxmlEscapes(value));
            } else if (type == QLatin1String("b")) {
                grid->setText(cellRow, cellColumn, value.isEmpty() ? QString() : CellText::fromBool(isTrue(value)));
            } else if (type == QLatin1String("e")) {
                grid->setText(cellRow, cellColumn, value);
            } else if (type == QLatin1String("d")) {
                grid->setText(cellRow, cellColumn, CellText::fromIsoDateTime(value));
            } else if (!value.isEmpty()) {
                pending.append({cellRow, cellColumn, PendingCell::Number, value, style});
            }
        }
        if (!part.finish(error))
            return false;
    }

    // Shared strings: only those the cells use are kept, and the reading stops after the last of them.
    QSet<qint64> wanted;
    qint64 lastWanted = -1;
    for (const PendingCell &cell : std::as_const(pending)) {
        if (cell.kind != PendingCell::Shared)
            continue;
        bool ok = false;
        const qint64 index = cell.value.toLongLong(&ok);
        if (!ok || index < 0) {
            if (error)
                *error = QStringLiteral("工作簿已损坏：单元格引用了不存在的共享字符串。");
            return false;
        }
        wanted.insert(index);
        lastWanted = std::max(lastWanted, index);
    }
    QHash<qint64, QString> strings;
    if (!wanted.isEmpty()) {
        const QString stringsPart = findByType(workbookRelationships, QLatin1String("/sharedStrings"));
        if (stringsPart.isEmpty()) {
            if (error)
                *error = QStringLiteral("工作簿已损坏：缺少共享字符串表。");
            return false;
        }
        XmlPart part(archive, budget);
        if (!part.open(stringsPart, error))
            return false;
        QXmlStreamReader &xml = part.xml();
        qint64 index = 0;
        while (!xml.atEnd() && index <= lastWanted) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("si"))
                continue;
            if (wanted.contains(index))
                strings.insert(index, readStringItem(part));
            else
                xml.skipCurrentElement();
            ++index;
        }
        if (!part.finish(error))
            return false;
    }

    NumberFormats formats;
    const bool anyStyled = std::any_of(pending.cbegin(), pending.cend(), [](const PendingCell &cell) {
        return cell.kind == PendingCell::Number && cell.style > 0;
    });
    if (anyStyled) {
        const QString stylesPart = findByType(workbookRelationships, QLatin1String("/styles"));
        if (!stylesPart.isEmpty() && archive.contains(stylesPart) &&
            !readStyles(archive, budget, stylesPart, &formats, error))
            return false;
    }

    for (const PendingCell &cell : std::as_const(pending)) {
        if (cell.kind == PendingCell::Shared) {
            const auto it = strings.constFind(cell.value.toLongLong());
            if (it == strings.cend()) {
                if (error)
                    *error = QStringLiteral("工作簿已损坏：单元格引用了不存在的共享字符串。");
                return false;
            }
            grid->setText(cell.row, cell.column, *it);
            continue;
        }
        const DateKind kind = styleKind(formats, cell.style);
        bool ok = false;
        const double number = cell.value.toDouble(&ok);
        if (ok && kind.elapsed)
            grid->setText(cell.row, cell.column, CellText::fromElapsed(number));
        else if (ok && (kind.date || kind.time))
            grid->setText(cell.row, cell.column, CellText::fromSerial(number, date1904, kind.date, kind.time));
        else
            grid->setText(cell.row, cell.column, CellText::fromNumberText(cell.value));
    }
    return true;
}
