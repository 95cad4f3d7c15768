#include "SheetState.h"
#include "TestZip.h"

#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/WorkbookReader.h"
#include "excel/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

namespace {

// The layout of a written workbook, read from its parts.
struct Layout
{
    QStringList sheetNames;
    QHash<int, double> widths; // column → width
    QStringList merges;
    struct Cell
    {
        QString type; // "s" for a shared string, "" for a number
        QString value;
        int style = 0;
    };
    QHash<QString, Cell> cells; // "A1" → cell
    struct Font
    {
        QString name;
        bool bold = false;
    };
    QList<Font> fonts;
    QList<QStringList> borders;         // left, right, top, bottom styles
    QList<QPair<int, int>> cellFormats; // font, border
    QString printTitles;                // the rows repeated on every printed page
    QXmlStreamAttributes pageSetup;
    bool fitToPage = false;
    QByteArray sheetXml;
};

QByteArray entry(const ZipArchive &archive, const QString &name)
{
    QByteArray data;
    QString error;
    EXPECT_TRUE(archive.readEntry(name, 1 << 24, &data, &error)) << error.toStdString();
    return data;
}

Layout readLayout(const QString &path)
{
    Layout layout;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    ZipArchive archive;
    QString error;
    EXPECT_TRUE(archive.open(data, &error));

    QXmlStreamReader book(entry(archive, "xl/workbook.xml"));
    while (book.readNextStartElement() || !book.atEnd()) {
        if (book.isStartElement() && book.name() == QLatin1String("sheet"))
            layout.sheetNames.append(book.attributes().value("name").toString());
        if (book.isStartElement() && book.name() == QLatin1String("definedName") &&
            book.attributes().value("name") == QLatin1String("_xlnm.Print_Titles"))
            layout.printTitles = book.readElementText();
    }

    layout.sheetXml = entry(archive, "xl/worksheets/sheet1.xml");
    QXmlStreamReader sheet(layout.sheetXml);
    QString currentCell;
    while (!sheet.atEnd()) {
        if (sheet.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = sheet.attributes();
        if (sheet.name() == QLatin1String("col")) {
            for (int c = a.value("min").toInt(); c <= a.value("max").toInt(); ++c)
                layout.widths[c] = a.value("width").toDouble();
        } else if (sheet.name() == QLatin1String("mergeCell")) {
            layout.merges.append(a.value("ref").toString());
        } else if (sheet.name() == QLatin1String("c")) {
            currentCell = a.value("r").toString();
            layout.cells[currentCell] = {a.value("t").toString(), QString(), a.value("s").toInt()};
        } else if (sheet.name() == QLatin1String("v")) {
            layout.cells[currentCell].value = sheet.readElementText();
        } else if (sheet.name() == QLatin1String("pageSetUpPr")) {
            layout.fitToPage = a.value("fitToPage") == QLatin1String("1");
        } else if (sheet.name() == QLatin1String("pageSetup")) {
            layout.pageSetup = a;
        }
    }

    QXmlStreamReader styles(entry(archive, "xl/styles.xml"));
    QString section;
    while (!styles.atEnd()) {
        const QXmlStreamReader::TokenType token = styles.readNext();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = styles.name();
        const QXmlStreamAttributes a = styles.attributes();
        if (name == QLatin1String("fonts") || name == QLatin1String("borders") || name == QLatin1String("cellXfs") ||
            name == QLatin1String("cellStyleXfs"))
            section = name.toString();
        else if (name == QLatin1String("font") && section == QLatin1String("fonts"))
            layout.fonts.append(Layout::Font());
        else if (name == QLatin1String("name") && section == QLatin1String("fonts"))
            layout.fonts.last().name = a.value("val").toString();
        else if (name == QLatin1String("b") && section == QLatin1String("fonts"))
            layout.fonts.last().bold = true;
        else if (name == QLatin1String("border") && section == QLatin1String("borders"))
            layout.borders.append(QStringList{"", "", "", ""});
        else if (section == QLatin1String("borders") &&
                 (name == QLatin1String("left") || name == QLatin1String("right") || name == QLatin1String("top") ||
                  name == QLatin1String("bottom"))) {
            const int side = QStringList{"left", "right", "top", "bottom"}.indexOf(name.toString());
            layout.borders.last()[side] = a.value("style").toString();
        } else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs"))
            layout.cellFormats.append({a.value("fontId").toInt(), a.value("borderId").toInt()});
    }
    return layout;
}

QString cellName(int column, int row)
{
    return QString(QChar('A' + column - 1)) + QString::number(row);
}

class ExportImport : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

TEST_F(ExportImport, RoundTripGivesBackEveryExportedLineTheHeadCountAndTheTotals)
{
    CostSheet sheet;
    fillSample(sheet);
    const QString file = path("报价 单.xlsx");
    QString error;
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error)) << error.toStdString();

    CostSheet back;
    ASSERT_TRUE(InExcel(back, file, &error)) << error.toStdString();
    back.RefreshTotals();

    QList<CostLine> exported;
    for (const CostLine &line : sheet.rows()) {
        if (IsExportedLine(line))
            exported.append(line);
    }
    ASSERT_EQ(exported.size(), 5);
    ASSERT_EQ(back.rowCount(), 20);
    for (int i = 0; i < exported.size(); ++i) {
        const CostLine &line = back.row(i + 1);
        EXPECT_EQ(line.Number, QString::number(i + 1));
        EXPECT_TRUE(line.Included);
        EXPECT_EQ(line.Content, exported.at(i).Content) << i;
        EXPECT_EQ(line.Expression, exported.at(i).Expression) << i;
    }
    // Texts come back as written; number cells in their shortest form.
    EXPECT_EQ(back.row(1).Category, QStringLiteral("房"));
    EXPECT_EQ(back.row(1).AmountText, QStringLiteral("3600"));
    EXPECT_EQ(back.row(2).AmountText, QStringLiteral("1200.5"));
    EXPECT_EQ(back.row(3).Category, QStringLiteral(" 大交通 "));
    EXPECT_EQ(back.row(3).AmountText, QStringLiteral("-12.25"));
    EXPECT_EQ(back.row(4).Category, QStringLiteral("123"));
    EXPECT_EQ(back.row(4).Content, QStringLiteral("0.50")); // only amounts become number cells
    EXPECT_EQ(back.row(4).AmountText, QStringLiteral("1,200.00"));
    EXPECT_EQ(back.row(5).AmountText, QStringLiteral("1234567890123456789"));
    for (int position = 6; position <= 20; ++position) {
        EXPECT_FALSE(back.row(position).Included);
        EXPECT_EQ(back.row(position).Number, QString::number(position));
    }
    EXPECT_EQ(back.Text3(), QStringLiteral("8"));
    // The long amount overflows the money range in both sheets alike.
    EXPECT_EQ(back.Text1(), sheet.Text1());
    EXPECT_EQ(back.Text4(), sheet.Text4());

    // Without the overflowing line the totals are plain numbers and still agree.
    sheet.setIncluded(7, false);
    sheet.RefreshTotals();
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error));
    ASSERT_TRUE(InExcel(back, file, &error));
    back.RefreshTotals();
    EXPECT_EQ(sheet.Text1(), QStringLiteral("4789.25"));
    EXPECT_EQ(back.Text1(), sheet.Text1());
    EXPECT_EQ(back.Text4(), sheet.Text4());
}

TEST_F(ExportImport, LayoutOfTheWrittenFile)
{
    CostSheet sheet;
    fillSample(sheet);
    sheet.setText1(QStringLiteral("手填"));
    const QString file = path("layout.xlsx");
    QString error;
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error)) << error.toStdString();

    // Values as our own reader sees them.
    CellGrid grid;
    ASSERT_TRUE(ReadFirstWorksheet(file, ReadLimits{1000, 10}, &grid, &error));
    EXPECT_EQ(grid.rowCount(), 7);
    const QStringList header{"项目", "内容", "表达式", "金额"};
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(grid.text(1, c), header.at(c - 1));
    EXPECT_EQ(grid.text(2, 2), QStringLiteral(" 锦江之星 (两晚) "));
    EXPECT_EQ(grid.text(3, 2), QStringLiteral("大巴\t\"往返\"\n第二行"));
    EXPECT_EQ(grid.text(3, 3), QString());
    EXPECT_EQ(grid.text(7, 1), QStringLiteral("合计：手填元/8人＝%1元").arg(sheet.Text4())); // the boxes as they stand

    // Format, merge, widths and borders from the parts themselves.
    const Layout layout = readLayout(file);
    EXPECT_EQ(layout.sheetNames, QStringList{"Sheet1"});
    // The stored widths of Excel's column widths 10, 20, 40 and 10 in its default font.
    EXPECT_DOUBLE_EQ(layout.widths.value(1), 10.7109375);
    EXPECT_DOUBLE_EQ(layout.widths.value(2), 20.7109375);
    EXPECT_DOUBLE_EQ(layout.widths.value(3), 40.7109375);
    EXPECT_DOUBLE_EQ(layout.widths.value(4), 10.7109375);
    EXPECT_EQ(layout.merges, QStringList{"A7:D7"});
    // Printed one page wide, as many pages tall as it takes, the header row on each page.
    EXPECT_TRUE(layout.fitToPage);
    EXPECT_EQ(layout.pageSetup.value("fitToWidth").toString(), QString()); // 1 is the default
    EXPECT_EQ(layout.pageSetup.value("fitToHeight").toString(), QStringLiteral("0"));
    EXPECT_EQ(layout.printTitles, QStringLiteral("Sheet1!$1:$1"));
    for (int row = 1; row <= 7; ++row) {
        for (int column = 1; column <= 4; ++column) {
            const QString name = cellName(column, row);
            ASSERT_TRUE(layout.cells.contains(name)) << name.toStdString();
            const Layout::Cell &cell = layout.cells.value(name);
            ASSERT_LT(cell.style, layout.cellFormats.size());
            const auto [font, border] = layout.cellFormats.at(cell.style);
            EXPECT_EQ(layout.borders.at(border), (QStringList{"thin", "thin", "thin", "thin"})) << name.toStdString();
            EXPECT_EQ(layout.fonts.at(font).name == QStringLiteral("黑体"), row == 1) << name.toStdString();
            EXPECT_EQ(layout.fonts.at(font).bold, row == 1) << name.toStdString();
        }
    }
    EXPECT_FALSE(layout.cells.contains("A8"));
    // Number cells for plain decimal amounts only; a number-like category or content stays text.
    struct Typed
    {
        const char *cell;
        bool number;
    } types[] = {{"A1", false}, {"D2", true},  {"D3", true},  {"D4", true},  {"A5", false},
                 {"B5", false}, {"C5", false}, {"D5", false}, {"D6", false}, {"A7", false}};
    for (const Typed &t : types)
        EXPECT_EQ(layout.cells.value(t.cell).type.isEmpty(), t.number) << t.cell;
    EXPECT_EQ(layout.cells.value("D4").value, QStringLiteral("-12.25"));
}

TEST_F(ExportImport, NoQualifyingRowGivesHeaderAndTotalsOnly)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", "房", "", "", "100", false});
    sheet.setRow(2, {"2", "餐", "", "", "", true});
    const QString file = path("empty.xlsx");
    QString error;
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error));
    const Layout layout = readLayout(file);
    EXPECT_EQ(layout.merges, QStringList{"A2:D2"});
    EXPECT_EQ(layout.cells.size(), 8);
    CellGrid grid;
    ASSERT_TRUE(ReadFirstWorksheet(file, ReadLimits{}, &grid, &error));
    EXPECT_EQ(grid.text(2, 1), QStringLiteral("合计：元/人＝元"));

    CostSheet back;
    ASSERT_TRUE(InExcel(back, file, &error));
    EXPECT_EQ(back.rowCount(), 20);
    EXPECT_FALSE(back.row(1).Included);
    EXPECT_EQ(back.Text3(), QStringLiteral("0"));
}

TEST_F(ExportImport, WriteFailureLeavesTheTargetAlone)
{
    CostSheet sheet;
    fillSample(sheet);
    const SheetState before = SheetState::of(sheet);
    QString error;
    EXPECT_FALSE(WriteQuoteWorkbook(sheet, path("no such folder/x.xlsx"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("无法写入")));

    // A text beyond what a cell holds, in a line or in the totals row: refused by name, and the old
    // file stays as it was (the writer itself would drop a merged cell's text and report success).
    const QString file = path("old.xlsx");
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    const struct
    {
        std::function<void(CostSheet &)> lengthen;
        const char *message;
    } tooLong[] = {
        {[](CostSheet &s) { s.setContent(1, QString(40000, QLatin1Char('x'))); }, "第 1 行的“内容”有 40000 个字符"},
        {[](CostSheet &s) { s.setText1(QString(32767, QLatin1Char('9'))); }, "合计行的文字有"},
    };
    for (const auto &c : tooLong) {
        CostSheet longer;
        fillSample(longer);
        c.lengthen(longer);
        const SheetState lengthened = SheetState::of(longer);
        error.clear();
        EXPECT_FALSE(WriteQuoteWorkbook(longer, file, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("32767"))) << error.toStdString();
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old content"));
        EXPECT_EQ(SheetState::of(longer), lengthened);
    }
    EXPECT_EQ(SheetState::of(sheet), before);
}

TEST_F(ExportImport, TextsComeBackExactly)
{
    // Texts that the format reads as escapes, or that a C string would cut.
    const QString texts[] = {
        QStringLiteral("_x0041_"),
        QStringLiteral("a_x005F_b_x00e9_c"),
        QStringLiteral("_x004_ _xZZZZ_ _x"),
        QString::fromUtf16(u"前\0后", 4),
        QString::fromUtf16(u"\x0001\x001f\t\r\n", 5),
    };
    CostSheet sheet;
    int position = 0;
    for (const QString &text : texts) {
        ++position;
        sheet.setRow(position, {QString::number(position), text, text, text, text, true});
    }
    sheet.setText3(QStringLiteral("_x0032_"));
    const QString file = path("escapes.xlsx");
    QString error;
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error)) << error.toStdString();
    CostSheet back;
    ASSERT_TRUE(InExcel(back, file, &error)) << error.toStdString();
    for (int i = 1; i <= position; ++i) {
        const CostLine &line = back.row(i);
        const QStringList got{line.Category, line.Content, line.Expression, line.AmountText};
        EXPECT_EQ(got, QStringList(4, texts[i - 1])) << i;
    }
    // "_x0032_" would read back as the head count 2.
    EXPECT_EQ(back.Text3(), QStringLiteral("0"));
}

TEST_F(ExportImport, NumbersAreWrittenWithAPointUnderACommaLocale)
{
    // A German locale of our own: localedef needs no root when it writes into a private folder.
    const QString locales = path("locales");
    ASSERT_TRUE(QDir().mkpath(locales));
    const QByteArray target = QFile::encodeName(locales) + "/de_DE.UTF-8";
    const QByteArray command = "localedef -i de_DE -f UTF-8 '" + target + "' 2>&1";
    ASSERT_EQ(std::system(command.constData()), 0) << "localedef (package locales) is needed";
    const QByteArray oldLocPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", QFile::encodeName(locales));
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5"); // the locale really writes commas

    CostSheet sheet;
    sheet.setRow(1, {"1", "房", "", "", "333.3333", true});
    const QString file = path("komma.xlsx");
    QString error;
    const bool written = WriteQuoteWorkbook(sheet, file, &error);
    std::setlocale(LC_NUMERIC, "C");
    qputenv("LOCPATH", oldLocPath);
    ASSERT_TRUE(written) << error.toStdString();

    const Layout layout = readLayout(file);
    EXPECT_EQ(layout.cells.value("D2").value, QStringLiteral("333.3333"));
    EXPECT_DOUBLE_EQ(layout.widths.value(1), 10.7109375);
    EXPECT_FALSE(layout.sheetXml.contains("width=\"10,")) << layout.sheetXml.constData();
    EXPECT_TRUE(layout.sheetXml.contains("left=\"0.7\"")) << layout.sheetXml.constData();
    EXPECT_FALSE(
        QRegularExpression(QStringLiteral("\"\\d+,\\d+\"")).match(QString::fromUtf8(layout.sheetXml)).hasMatch());
}

TEST_F(ExportImport, FailedImportsChangeNothing)
{
    CostSheet source;
    fillSample(source);
    const QString good = path("good.xlsx");
    QString error;
    ASSERT_TRUE(WriteQuoteWorkbook(source, good, &error));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();

    // A zip of a workbook whose sheet decompresses to far more than the readers accept.
    QByteArray bomb;
    {
        const QString bombPath = path("bomb-build.xlsx");
        // Written by hand with libzip through a tiny helper: the sheet part is 80 MB of blanks.
        QByteArray huge(80 * 1024 * 1024, ' ');
        huge.prepend("<?xml version=\"1.0\"?><worksheet "
                     "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>");
        huge.append("</sheetData></worksheet>");
        ASSERT_TRUE(writeZipForTest(
            bombPath,
            {{"xl/workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                 "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                 "<sheets><sheet name=\"a\" r:id=\"rId1\"/></sheets></workbook>"},
             {"xl/_rels/workbook.xml.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
              "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
             {"xl/worksheets/sheet1.xml", huge}}));
        QFile f(bombPath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        bomb = f.readAll();
        ASSERT_LT(bomb.size(), 1024 * 1024);
    }

    QByteArray flipped = goodBytes;
    for (qsizetype i = flipped.size() * 2 / 5; i < flipped.size() / 2; ++i)
        flipped[i] = char(flipped[i] ^ 0x5a);
    QByteArray odt;
    {
        const QString odtPath = path("odt-build.ods");
        ASSERT_TRUE(writeZipForTest(
            odtPath, {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}}));
        QFile f(odtPath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        odt = f.readAll();
    }

    struct Case
    {
        const char *name;
        QByteArray content;
        const char *messagePart;
    } cases[] = {
        {"text.xlsx", "项目,内容\n1,2\n", "不是可以读取的工作簿"},
        {"empty.xls", QByteArray(), "不是可以读取的工作簿"},
        {"cut.xlsx", goodBytes.left(goodBytes.size() / 2), "损坏"},
        {"flipped.xlsx", flipped, ""},
        {"text.ods", odt, "不是 OpenDocument 表格"},
        {"garbage.xls", QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(600, 'x'), ""},
        {"bomb.xlsx", bomb, "过大"},
    };
    for (const Case &c : cases) {
        const QString file = path(c.name);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.content);
        out.close();

        CostSheet sheet;
        fillSample(sheet);
        const SheetState before = SheetState::of(sheet);
        error.clear();
        EXPECT_FALSE(InExcel(sheet, file, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.messagePart))) << c.name << ": " << error.toStdString();
        EXPECT_EQ(SheetState::of(sheet), before) << c.name;
    }

    CostSheet sheet;
    fillSample(sheet);
    const SheetState before = SheetState::of(sheet);
    EXPECT_FALSE(InExcel(sheet, path("missing.xlsx"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("找不到文件")));
    EXPECT_EQ(SheetState::of(sheet), before);
}
