#include "SheetState.h"
#include "TestZip.h"

#include "excel/QuoteImport.h"
#include "excel/read/WorkbookReader.h"
#include "excel/read/ZipArchive.h"
#include "tests/common/TestText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

// Files that are no workbook, damaged ones, workbooks made to hurt a reader, and valid ones that used
// to be refused: each imports within bounded work or is refused with a message that names the reason,
// leaving the sheet as it was.
namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QByteArray zipped(const Entries &entries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("built.zip"));
    EXPECT_TRUE(writeZipForTest(path, entries));
    return readAll(path);
}

// A good workbook that another program wrote.
QByteArray goodWorkbook()
{
    return readAll(QStringLiteral(QUILVAR_EXCEL_FIXTURES "/lo_quote.xlsx"));
}

QByteArray flipped(QByteArray bytes)
{
    for (qsizetype i = bytes.size() * 2 / 5; i < bytes.size() / 2; ++i)
        bytes[i] = char(bytes[i] ^ 0x5a);
    return bytes;
}

// The zip with one 32-bit field of the named entry changed alike in its local header and in the
// central directory (so that the two still agree): at fieldOffset of the local header, which the
// central directory's entry holds two bytes further on.
QByteArray withEntryField(QByteArray zip, const QByteArray &name, int fieldOffset, qint64 added)
{
    for (const auto &[signature, nameAt, shift] :
         {std::tuple{QByteArray("PK\x03\x04"), 30, 0}, std::tuple{QByteArray("PK\x01\x02"), 46, 2}}) {
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 1)) {
            if (zip.mid(at + nameAt, name.size()) != name)
                continue;
            char *field = zip.data() + at + fieldOffset + shift;
            qToLittleEndian(quint32(qFromLittleEndian<quint32>(field) + added), field);
        }
    }
    return zip;
}

// A worksheet of Excel 2.x to 4.0, kept as bare records without the container: its BOF record, then a
// number cell and EOF.
QByteArray olderExcel(const char *bofHex)
{
    return QByteArray::fromHex(bofHex) + QByteArray::fromHex("03020e00000000000000000000000000f03f0a000000");
}

// A header row, the rows given, then the totals row: the import's usual shape.
QByteArray odsQuote(const QByteArray &rows)
{
    return odsRow("项目") + rows + odsRow("合计：1元/6人＝1元");
}

// A valid workbook whose sheet holds far more rows below the quote than the budget would let be
// decompressed: the reading has to stop once the wanted rows are passed.
Entries bigValidWorkbook()
{
    // Rows without a number follow the one before: 1.5 million rows, some 66 MB.
    const QByteArray filler = QByteArray("<row><c><v>4</v></c><c><v>1</v></c><c t=\"b\"><v>1</v></c></row>");
    const QByteArray data = inlineRow(1, "项目") + inlineRow(2, "房", "3600") +
                            inlineRow(3, "合计：3600元/12人＝300元") +
                            filler.repeated(66 * 1024 * 1024 / filler.size());
    return xlsx(data);
}

// The workbook with a styles part holding the cell formats given (numFmtId of each xf).
Entries styled(Entries entries, const QByteArray &styles)
{
    for (auto &[name, content] : entries)
        if (name == QLatin1String("xl/_rels/workbook.xml.rels"))
            content.replace("</Relationships>", "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/"
                                                "officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
                                                "</Relationships>");
    entries.append({"xl/styles.xml", styles});
    return entries;
}

struct Case
{
    const char *name;
    std::function<QByteArray()> file;
    const char *refusal; // part of the refusal's message; none for a file that imports
    // For a file that imports: its one line and the head count (its totals row ends the data).
    QString category = {}, amount = {}, headCount = {};
};

const Case cases[] = {
    {"nested row groups.ods",
     [] {
         // Deeper than any program nests them, within what a part may nest.
         const int depth = 200;
         return zipped(ods(odsRow("项目") + QByteArray("<table:table-row-group>").repeated(depth) +
                           odsRow("房", "3600") + QByteArray("</table:table-row-group>").repeated(depth) +
                           odsRow("合计：3600元/7人＝1元")));
     },
     nullptr, "房", "3600", "7"},
    {"entity bomb.xlsx", [] { return zipped(xlsx(inlineRow(2, "&e20;"), QByteArray(), entityBomb())); }, "DTD"},
    {"repeated spaces in every cell.ods",
     [] {
         const QByteArray cell = "<table:table-cell><text:p>a<text:s text:c=\"1048000\"/></text:p></table:table-cell>";
         return zipped(ods(("<table:table-row>" + cell.repeated(4) + "</table:table-row>").repeated(501)));
     },
     "文字过多"},
    {"repeated spaces in one cell.ods",
     [] { return zipped(ods(odsQuote(odsRow("房<text:s text:c=\"1048000\"/>", "3600")))); }, nullptr,
     QStringLiteral("房") + QString(32766, QLatin1Char(' ')), "3600", "6"}, // a cell keeps what Excel keeps
    {"text beyond what a cell holds.xlsx",
     [] { return zipped(xlsx(inlineRow(2, QByteArray(40000, 'x'), "1") + inlineRow(3, "合计：1元/2人＝0.5元"))); },
     nullptr, QString(32767, QLatin1Char('x')), "1", "2"},
    {"big valid workbook.xlsx", [] { return zipped(bigValidWorkbook()); }, nullptr, "房", "3600", "12"},
    {"rows out of order.xlsx",
     [] {
         return zipped(xlsx(inlineRow(1, "项目") + inlineRow(600, "远处") + inlineRow(2, "房", "3600") +
                            inlineRow(3, "合计：3600元/5人＝720元")));
     },
     nullptr, "房", "3600", "5"},
    {"bad shared string in the header row.xlsx",
     [] {
         return zipped(xlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>99</v></c></row><row r=\"2\"><c r=\"A2\" "
                            "t=\"s\"><v>0</v></c></row>" +
                                inlineRow(3, "合计：0元/4人＝0元"),
                            "<si><t>餐</t></si><si><t>未用</t></si>"));
     },
     nullptr, "餐", "", "4"},
    // A cell without a style has the first cell format, as in Excel, whether or not another cell has
    // a style; number formats that cannot be read matter only to a number with a style.
    {"a first cell format that shows a date.xlsx",
     [] {
         return zipped(styled(xlsx(inlineRow(2, "房", "45413") + inlineRow(3, "合计：0元/3人＝0元")),
                              "<styleSheet><cellXfs><xf numFmtId=\"14\"/></cellXfs></styleSheet>"));
     },
     nullptr, "房", "2024-05-01", "3"},
    {"damaged number formats and unstyled numbers.xlsx",
     [] {
         return zipped(styled(xlsx(inlineRow(2, "房", "3600") + inlineRow(3, "合计：0元/3人＝0元")),
                              "<styleSheet><cellXfs><xf numFmtId=\"14\"></cellXfs>"));
     },
     nullptr, "房", "3600", "3"},
    {"damaged number formats and a styled number.xlsx",
     [] {
         return zipped(styled(xlsx("<row r=\"2\"><c r=\"D2\" s=\"1\"><v>3600</v></c></row>"),
                              "<styleSheet><cellXfs><xf numFmtId=\"14\"></cellXfs>"));
     },
     "不是有效的 XML"},
    {"bad shared string in a data row.xlsx",
     [] { return zipped(xlsx("<row r=\"2\"><c r=\"A2\" t=\"s\"><v>99</v></c></row>", "<si><t>餐</t></si>")); },
     "共享字符串"},
    {"binary workbook.xlsb",
     [] {
         return zipped(
             Entries{{"[Content_Types].xml", "<Types/>"},
                     {"_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/"
                                     "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.bin\"/>"
                                     "</Relationships>"},
                     {"xl/workbook.bin", QByteArray(64, '\x83')}});
     },
     "不支持 .xlsb 格式"},
    {"with a password.ods",
     [] {
         return zipped(ods(odsQuote(QByteArray()),
                           "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                           "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
                           "</manifest:file-entry></manifest:manifest>"));
     },
     "已加密"},
    {"damaged sheet part.xlsx", [] { return zipped(xlsx("<row r=\"2\"><c r=\"A2\"><v>1</row>")); },
     "部件“xl/worksheets/sheet1.xml”"},
    // A sheet part that decompresses to far more than the readers accept: 80 MB of blanks.
    {"zip bomb.xlsx", [] { return zipped(xlsx(QByteArray(80 * 1024 * 1024, ' '))); }, "过大"},
    {"text.ods",
     [] {
         return zipped({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}});
     },
     "不是 OpenDocument 表格"},
    {"comma-separated text.xlsx", [] { return QByteArray("项目,内容\n1,2\n"); }, "不是可以读取的工作簿"},
    {"empty.xls", [] { return QByteArray(); }, "不是可以读取的工作簿"},
    {"cut short.xlsx", [] { return goodWorkbook().chopped(goodWorkbook().size() / 2); }, "损坏"},
    {"bytes flipped.xlsx", [] { return flipped(goodWorkbook()); }, ""},
    {"compound-file signature only.xls", [] { return QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(600, 'x'); },
     ""},
    {"damaged directory.xls", [] { return readAll(QStringLiteral(QUILVAR_EXCEL_FIXTURES "/damaged-directory.xls")); },
     "损坏"},
    {"deeply nested elements.xlsx",
     [] { return zipped(xlsx(inlineRow(2, "房") + QByteArray("<x>").repeated(1000000))); }, "嵌套超过 256 层"},
    {"one long shared string in every cell.xlsx",
     [] {
         QByteArray rows;
         for (int r = 2; r <= 501; ++r)
             rows += "<row r=\"" + QByteArray::number(r) + "\"><c t=\"s\"><v>0</v></c></row>";
         return zipped(xlsx(rows, "<si><t>" + QByteArray(32767, 'x') + "</t></si>"));
     },
     "文字过多"},
    {"oversized mimetype.ods",
     [] {
         Entries entries = ods(odsQuote(QByteArray()));
         entries[0].second += QByteArray(2000, ' ');
         return zipped(entries);
     },
     "解压后超过 1 KB"},
    {"more rows than a sheet holds.xlsx",
     [] { return zipped(xlsx(inlineRow(2, "房", "1") + inlineRow(40000, "远处"))); }, "32766"},
    {"more rows than a sheet holds.ods",
     [] {
         return zipped(ods(odsRow("项目") +
                           "<table:table-row table:number-rows-repeated=\"40000\"><table:table-cell/>"
                           "</table:table-row>" +
                           odsRow("远处")));
     },
     "32766"},
    // What LibreOffice shows of a cell: an error by its text, ruby and fields by their base text,
    // nothing of a cell covered by a merged one.
    {"error cell.ods",
     [] {
         return zipped(ods(odsQuote("<table:table-row><table:table-cell office:value-type=\"float\" "
                                    "calcext:value-type=\"error\"><text:p>#DIV/0!</text:p></table:table-cell>"
                                    "</table:table-row>")));
     },
     nullptr, "#DIV/0!", "", "6"},
    {"ruby and a field.ods",
     [] {
         return zipped(ods(odsQuote(odsRow("<text:ruby><text:ruby-base>锦江</text:ruby-base><text:ruby-text>jǐn"
                                           "</text:ruby-text></text:ruby>之星<text:sheet-name>表</text:sheet-name>",
                                           "1"))));
     },
     nullptr, "锦江之星表", "1", "6"},
    {"covered cell.ods",
     [] {
         return zipped(ods(odsQuote("<table:table-row><table:covered-table-cell><text:p>隐藏</text:p>"
                                    "</table:covered-table-cell><table:table-cell table:number-columns-repeated=\"2\"/>"
                                    "<table:table-cell office:value-type=\"float\" office:value=\"5\"/>"
                                    "</table:table-row>")));
     },
     nullptr, "", "5", "6"},
    {"Excel 2.x.xls", [] { return olderExcel("0900040000000000"); }, "Excel 2.x"},
    {"Excel 3.0.xls", [] { return olderExcel("09020600000000000000"); }, "Excel 3.0"},
    {"Excel 4.0.xls", [] { return olderExcel("09040600000000000000"); }, "Excel 4.0"},
};

} // namespace

TEST(HostileWorkbook, ImportsWithinBoundsOrIsRefusedByName)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.file());
        file.close();

        CostSheet sheet;
        fillSample(sheet);
        const SheetState before = SheetState::of(sheet);
        WorkbookError error;
        const bool imported = InExcel(sheet, path, &error);
        if (!c.refusal) {
            ASSERT_TRUE(imported) << error.text.toStdString();
            EXPECT_EQ(sheet.row(1).Category, c.category);
            EXPECT_EQ(sheet.row(1).AmountText, c.amount);
            EXPECT_TRUE(sheet.row(1).Included);
            EXPECT_FALSE(sheet.row(2).Included); // the totals row ended the data
            EXPECT_EQ(sheet.Text3(), c.headCount);
        } else {
            EXPECT_FALSE(imported);
            EXPECT_FALSE(error.text.isEmpty());
            EXPECT_TRUE(error.text.contains(QString::fromUtf8(c.refusal))) << error.text.toStdString();
            EXPECT_EQ(SheetState::of(sheet), before);
        }
    }
}

namespace {

// Two thousand quote rows, each with a long note right of the columns the import reads: 2 MB of
// text it passes over, as a planner's workbook with remarks beside the quote has.
const QByteArray Note = QByteArray("备注").repeated(340);

QByteArray wideXlsxRows()
{
    QByteArray rows;
    for (int r = 2; r <= 2001; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += inlineRow(r, "房", n).chopped(6) + "<c r=\"E" + n + "\" t=\"inlineStr\"><is><t>" + Note +
                "</t></is></c></row>";
    }
    return rows;
}

// The same with shared strings: the notes are strings no wanted cell uses.
Entries wideSharedStrings()
{
    QByteArray rows, strings;
    for (int r = 2; r <= 2001; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + QByteArray::number(2 * r) +
                "</v></c><c r=\"D" + n + "\"><v>" + n + "</v></c><c r=\"E" + n + "\" t=\"s\"><v>" +
                QByteArray::number(2 * r + 1) + "</v></c></row>";
    }
    for (int i = 0; i <= 4003; ++i)
        strings += "<si><t>" + (i % 2 ? Note : QByteArray("房")) + "</t></si>";
    return xlsx(rows, strings);
}

// Each row's kept cell carries a long attribute (markup the reading keeps, no text) and the row two
// notes: in UTF-16 the notes passed over are smaller decompressed than read as UTF-8.
QByteArray keptMarkupXlsxRows()
{
    const QByteArray padding = " x=\"" + QByteArray(700, 'x') + "\"";
    QByteArray rows;
    for (int r = 2; r <= 2001; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"" + padding + "><is><t>房</t></is></c>";
        for (const QByteArray &column : {QByteArray("E"), QByteArray("F")})
            rows += "<c r=\"" + column + n + "\" t=\"inlineStr\"><is><t>" + Note + "</t></is></c>";
        rows += "</row>";
    }
    return rows;
}

// The workbook with its sheet written in UTF-16, byte-order mark first, as a few programs write XML.
Entries inUtf16(Entries entries)
{
    for (auto &[name, content] : entries) {
        if (!name.endsWith(QStringLiteral("sheet1.xml")))
            continue;
        const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + QString::fromUtf8(content);
        content = QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
    return entries;
}

QByteArray wideOdsRows()
{
    QByteArray rows = odsRow("项目");
    for (int r = 2; r <= 2001; ++r)
        rows += odsRow("房", QByteArray::number(r)).chopped(18) + "<table:table-cell><text:p>" + Note +
                "</text:p></table:table-cell></table:table-row>";
    return rows;
}

struct BudgetCase
{
    const char *name;
    std::function<Entries()> workbook;
    qint64 maxScannedBytes;
    const char *refusal; // none when it reads
};

} // namespace

// The budgets count what the reading keeps: cells right of the columns wanted and strings no wanted
// cell uses cost neither decompressed bytes nor text, up to the limit that bounds the time any file
// takes.
TEST(HostileWorkbook, BudgetsCountWhatTheReadingKeeps)
{
    const BudgetCase cases[] = {
        {"notes beside the quote.xlsx", [] { return xlsx(wideXlsxRows()); }, 8 << 20, nullptr},
        {"notes among the shared strings.xlsx", wideSharedStrings, 8 << 20, nullptr},
        {"notes beside the quote.ods", [] { return ods(wideOdsRows()); }, 8 << 20, nullptr},
        // More number formats than a whole workbook's budget, none of them needed by the quote.
        {"bloated number formats beside the quote.xlsx",
         [] {
             return styled(xlsx(wideXlsxRows()), "<styleSheet><fonts>" + QByteArray("<font/>").repeated(300000) +
                                                     "</fonts><cellXfs><xf numFmtId=\"14\"/></cellXfs></styleSheet>");
         },
         8 << 20, nullptr},
        {"notes past the scanning limit.xlsx", [] { return xlsx(wideXlsxRows()); }, 3 << 19, "过大"},
        {"notes beside the quote, in UTF-16.xlsx", [] { return inUtf16(xlsx(wideXlsxRows())); }, 8 << 20, nullptr},
        // 1.4 MB of markup kept: more than the budget however it is counted, passed over or not.
        {"kept markup beside notes, in UTF-16.xlsx", [] { return inUtf16(xlsx(keptMarkupXlsxRows())); }, 16 << 20,
         "过大"},
    };
    for (const BudgetCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        ASSERT_TRUE(writeZipForTest(path, c.workbook()));
        ReadLimits limits;
        limits.maxRows = 3000;
        limits.firstRow = 2;
        limits.maxInflatedBytes = 1 << 20;
        limits.maxScannedBytes = c.maxScannedBytes;
        limits.maxTextCharacters = 64 * 1024;
        CellGrid grid;
        WorkbookError error;
        const bool read = ReadFirstWorksheet(path, limits, &grid, &error);
        if (c.refusal) {
            EXPECT_FALSE(read);
            EXPECT_TRUE(error.text.contains(QString::fromUtf8(c.refusal))) << error.text.toStdString();
            continue;
        }
        EXPECT_TRUE(read) << error.text.toStdString();
        EXPECT_EQ(grid.text(2001, 1), QStringLiteral("房"));
        EXPECT_EQ(grid.text(2001, 4), QStringLiteral("2001"));
    }
}

// An entry read to its end is checked against the archive's directory: its size and its CRC.
TEST(HostileWorkbook, EntriesReadWholeAgreeWithTheDirectory)
{
    const QByteArray quote = zipped(xlsx(inlineRow(2, "房", "3600")));
    const QByteArray name = "xl/worksheets/sheet1.xml";
    const struct
    {
        const char *what;
        QByteArray zip;
        bool read;
    } cases[] = {{"as written", quote, true},
                 {"CRC changed", withEntryField(quote, name, 14, 1), false},
                 {"a byte longer than the directory says", withEntryField(quote, name, 22, -1), false},
                 {"a byte shorter than the directory says", withEntryField(quote, name, 22, 1), false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ZipArchive archive;
        WorkbookError error;
        ASSERT_TRUE(archive.open(c.zip, &error));
        QByteArray content;
        EXPECT_EQ(archive.readEntry(QString::fromLatin1(name), 1 << 20, &content, &error), c.read);
        EXPECT_EQ(content.contains("3600"), c.read);
        if (!c.read)
            EXPECT_TRUE(error.text.contains(QStringLiteral("无法解压"))) << error.text.toStdString();
    }
}
