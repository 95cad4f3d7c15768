#include "PlatformFiles.h"
#include "SheetState.h"
#include "TestWorkbookParts.h"
#include "TestZip.h"

#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookReader.h"
#include "tests/sheet/TestRows.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

namespace {

// Each cell format of a styles part as "[bold] font left,right,top,bottom" (the border styles).
QStringList cellFormats(const QByteArray &styles)
{
    const QStringList sides{"left", "right", "top", "bottom"};
    QList<QStringList> fonts, borders;
    QStringList formats;
    QString section;
    for (QXmlStreamReader xml(styles); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString(), item = section + '/' + name;
        const QXmlStreamAttributes a = xml.attributes();
        if (name.endsWith('s')) // fonts, borders, cellXfs, …
            section = name;
        else if (item == "fonts/font" || item == "borders/border")
            (section == "fonts" ? fonts : borders).append(section == "fonts" ? QStringList{} : QStringList(4));
        else if (item == "fonts/b" || item == "fonts/name")
            fonts.last().append(name == "b" ? QStringLiteral("bold") : a.value("val").toString());
        else if (section == "borders" && sides.contains(name))
            borders.last()[sides.indexOf(name)] = a.value("style").toString();
        else if (item == "cellXfs/xf")
            formats.append(fonts.value(a.value("fontId").toInt()).join(' ') + ' ' +
                           borders.value(a.value("borderId").toInt()).join(','));
    }
    return formats;
}

class ExportImport : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    // The sheet exported and imported again, its totals recomputed.
    SheetState roundTrip(const CostSheet &sheet, const char *name)
    {
        WorkbookError error;
        CostSheet back;
        EXPECT_TRUE(WriteQuoteWorkbook(sheet, path(name), &error) && InExcel(back, path(name), &error))
            << error.text.toStdString();
        back.RefreshTotals();
        return SheetState::of(back);
    }
};

} // namespace

TEST_F(ExportImport, RoundTripGivesBackEveryExportedLineTheHeadCountAndTheTotals)
{
    CostSheet sheet;
    fillSample(sheet);
    const SheetState back = roundTrip(sheet, "报价 单.xlsx");

    // The ticked lines with an amount, in order; texts as written, number cells in their shortest form,
    // number-like texts and an amount too long for a number cell as texts.
    const QList<QStringList> exported{{"房", " 锦江之星 (两晚) ", "单价: 180.00 × 10间 × 2天", "3600"},
                                      {"车", "大巴\t\"往返\"\n第二行", "", "1200.5"},
                                      {" 大交通 ", "机票", "单价: 1000 × 8人", "-12.25"},
                                      {"123", "0.50", "1,200", "1,200.00"},
                                      {"综费", "很长的金额", "", "0.1234567890123456"}};
    ASSERT_EQ(back.rows.size(), 20);
    for (int position = 1; position <= 20; ++position) {
        const CostLine &line = back.rows.at(position - 1);
        EXPECT_EQ(line.Number, QString::number(position));
        EXPECT_EQ(line.Included, position <= exported.size()) << position;
        const QStringList texts{line.Category, line.Content, line.Expression, line.AmountText};
        EXPECT_EQ(texts, exported.value(position - 1, QStringList(4))) << position;
    }
    EXPECT_EQ(back.text3, QStringLiteral("8"));
    EXPECT_EQ(sheet.Text1(), QStringLiteral("4789.3735"));
    EXPECT_EQ(back.text1, sheet.Text1());
    EXPECT_EQ(back.text4, sheet.Text4());

    // Texts that the format reads as escapes, or that a C string would cut; "_x0032_" would read
    // back as the head count 2.
    const QString texts[] = {"_x0041_", "a_x005F_b_x00e9_c", "_x004_ _xZZZZ_ _x", QString::fromUtf16(u"前\0后", 4),
                             QString::fromUtf16(u"\x0001\x001f\t\r\n", 5)};
    CostSheet escapes;
    for (int i = 0; i < 5; ++i)
        escapes.setRow(i + 1, {QString::number(i + 1), texts[i], texts[i], texts[i], texts[i], true});
    escapes.setText3(QStringLiteral("_x0032_"));
    const SheetState escapesBack = roundTrip(escapes, "escapes.xlsx");
    for (int i = 0; i < 5; ++i) {
        const CostLine &line = escapesBack.rows.at(i);
        EXPECT_EQ((QStringList{line.Category, line.Content, line.Expression, line.AmountText}),
                  QStringList(4, texts[i]));
    }
    EXPECT_EQ(escapesBack.text3, QStringLiteral("0"));
}

TEST_F(ExportImport, LayoutOfTheWrittenFile)
{
    // Column A as our own reader sees it, the totals row's merge, the number cells (plain decimal amounts only,
    // never a number-like text).
    const std::tuple<const char *, std::function<void(CostSheet &)>, QStringList, QString, QStringList> cases[] = {
        {"sample",
         [](CostSheet &s) {
             fillSample(s);
             s.setText1(QStringLiteral("手填")); // the totals text takes the boxes as they stand
             s.setText4(QStringLiteral("约 9"));
         },
         {"项目", "房", "车", " 大交通 ", "123", "综费", "合计：手填元/8人＝约 9元"},
         "A7:D7",
         {"D2", "D3", "D4"}},
        {"no qualifying line",
         [](CostSheet &s) {
             s.setRow(1, {"1", "房", "", "", "100", false});
             s.setRow(2, {"2", "餐", "", "", "", true});
         },
         {"项目", "合计：元/人＝元"},
         "A2:D2",
         {}},
    };
    for (const auto &[name, fill, expectedColumn1, merge, expectedNumbers] : cases) {
        SCOPED_TRACE(testing::PrintToString(name));
        CostSheet sheet;
        fill(sheet);
        const QString file = path("layout.xlsx");
        WorkbookError error;
        ASSERT_TRUE(WriteQuoteWorkbook(sheet, file, &error)) << error.text.toStdString();
        CellGrid grid;
        ASSERT_TRUE(ReadFirstWorksheet(file, ReadLimits{}, &grid, &error));
        QStringList column1;
        for (int row = 1; row <= grid.rowCount(); ++row)
            column1.append(grid.text(row, 1));
        EXPECT_EQ(column1, expectedColumn1) << name;
        EXPECT_EQ((QStringList{grid.text(1, 2), grid.text(1, 3), grid.text(1, 4)}),
                  (QStringList{"内容", "表达式", "金额"}));

        const QByteArray book = zipEntry(file, "xl/workbook.xml");
        const QByteArray xml = zipEntry(file, "xl/worksheets/sheet1.xml");
        EXPECT_EQ(xmlValues(book, "sheet", "name"), QStringList{"Sheet1"});
        // Excel's column widths 10, 20, 40 and 10 in its default font, as stored.
        EXPECT_EQ(xmlValues(xml, "col", "width"),
                  (QStringList{"10.7109375", "20.7109375", "40.7109375", "10.7109375"}));
        EXPECT_EQ(xmlValues(xml, "mergeCell", "ref"), QStringList{merge});
        // Printed on A4 (9), one page wide (1 is the default), as many pages tall as it takes, the header row on each
        // page.
        EXPECT_EQ(xmlValues(xml, "pageSetup", "paperSize"), QStringList{"9"});
        EXPECT_EQ(xmlValues(xml, "pageSetUpPr", "fitToPage"), QStringList{"1"});
        EXPECT_EQ(xmlValues(xml, "pageSetup", "fitToWidth"), QStringList{""});
        EXPECT_EQ(xmlValues(xml, "pageSetup", "fitToHeight"), QStringList{"0"});
        EXPECT_EQ(xmlValues(book, "definedName"), QStringList{"Sheet1!$1:$1"});

        // Every cell of the table, and nothing else, is written with thin borders; the header in bold 黑体.
        const QStringList formats = cellFormats(zipEntry(file, "xl/styles.xml"));
        const QStringList refs = xmlValues(xml, "c", "r");
        const QStringList styles = xmlValues(xml, "c", "s");
        ASSERT_EQ(refs.size(), 4 * expectedColumn1.size()) << name;
        for (int i = 0; i < refs.size(); ++i) {
            EXPECT_EQ(refs.at(i), QString(QChar('A' + i % 4)) + QString::number(i / 4 + 1));
            EXPECT_EQ(formats.value(styles.at(i).toInt()), i < 4 ? QStringLiteral("bold 黑体 thin,thin,thin,thin")
                                                                 : QStringLiteral("Calibri thin,thin,thin,thin"))
                << refs.at(i).toStdString();
        }
        const QStringList types = xmlValues(xml, "c", "t");
        const QMap<QString, QString> values = worksheetCells(file, "xl/worksheets/sheet1.xml");
        QStringList numbers;
        for (int i = 0; i < refs.size(); ++i)
            if (types.at(i).isEmpty() && values.contains(refs.at(i))) // blanks have neither type nor value
                numbers.append(refs.at(i));
        EXPECT_EQ(numbers, expectedNumbers) << name;
        EXPECT_EQ(values.value("D4"), expectedNumbers.isEmpty() ? QString() : QStringLiteral("-12.25"));
    }
}

// A text beyond what a cell holds (the writer itself would drop a merged cell's text and report
// success), an overflowed amount or total (溢出): refused by name, the old file and the sheet as they were.
TEST_F(ExportImport, RefusalsLeaveTheTargetAlone)
{
    const QString file = path("old.xlsx");
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    const std::tuple<std::function<void(CostSheet &)>, const char *> cases[] = {
        {[](CostSheet &s) { s.setContent(1, QString(40000, QLatin1Char('x'))); },
         "第 1 行的“内容”有 40000 个字符，超过 Excel 单元格的上限 32767"},
        {[](CostSheet &s) { s.setText1(QString(32767, QLatin1Char('9'))); }, "合计行的文字有 \\d+ 个字符，超过.*32767"},
        {[](CostSheet &s) { s.setAmountText(3, QStringLiteral("溢出")), s.RefreshTotals(); }, "第 3 行"},
        {[](CostSheet &s) { s.setAmountText(3, QStringLiteral("1234567890123456789")), s.RefreshTotals(); }, "第 3 行"},
        {[](CostSheet &s) { s.setText1(QStringLiteral("溢出")); }, "合计金额溢出"},
    };
    for (const auto &[change, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(message));
        CostSheet sheet;
        fillSample(sheet);
        change(sheet);
        const SheetState changed = SheetState::of(sheet);
        WorkbookError error;
        EXPECT_FALSE(WriteQuoteWorkbook(sheet, file, &error));
        EXPECT_EQ(error.kind, WorkbookError::Kind::Refused);
        EXPECT_TRUE(error.text.contains(QRegularExpression(QString::fromUtf8(message)))) << error.text.toStdString();
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old content"));
        EXPECT_EQ(SheetState::of(sheet), changed);
    }
}

// A user whose temporary folder the system's code page cannot name (a Chinese user name on an
// English Windows) exports as any other; a workbook open in Excel is named, and left as it was.
TEST_F(ExportImport, ExportsForAnyUserAndNamesAWorkbookHeldOpen)
{
    const QString original = QDir::tempPath(), temporary = path("临时 文件夹");
    ASSERT_TRUE(QDir().mkpath(temporary));
    UseTemporaryFolder(temporary);
    CostSheet sheet;
    fillSample(sheet);
    const QString file = path("报价单.xlsx");
    WorkbookError error;
    EXPECT_TRUE(WriteQuoteWorkbook(sheet, file, &error)) << error.text.toStdString();
    UseTemporaryFolder(original);

    const std::shared_ptr<void> held = HoldOpenAsExcelDoes(file);
    if (!held)
        GTEST_SKIP() << "no system lock keeps a file from being replaced here";
    const QByteArray before = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    sheet.setContent(1, QStringLiteral("改过"));
    EXPECT_FALSE(WriteQuoteWorkbook(sheet, file, &error));
    EXPECT_EQ(error.text.toStdString(), QStringLiteral("文件“%1”正被其它程序（如 Excel、WPS）打开，请关闭后再导出。")
                                            .arg(QDir::toNativeSeparators(file))
                                            .toStdString());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(ExportImport, NumbersAreWrittenWithAPointUnderACommaLocale)
{
#ifdef _WIN32
    // Windows carries every locale.
    const QByteArray oldLocPath;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "German_Germany.1252"), nullptr);
#else
    // A German locale of our own: localedef needs no root when it writes into a private folder.
    const QString locales = path("locales");
    ASSERT_TRUE(QDir().mkpath(locales));
    const QByteArray target = QFile::encodeName(locales) + "/de_DE.UTF-8";
    const QByteArray command = "localedef -i de_DE -f UTF-8 '" + target + "' 2>&1";
    ASSERT_EQ(std::system(command.constData()), 0) << "localedef (package locales) is needed";
    const QByteArray oldLocPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", QFile::encodeName(locales));
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
#endif
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5"); // the locale really writes commas

    CostSheet sheet;
    sheet.setRow(1, {"1", "房", "", "", "333.3333", true});
    const QString file = path("komma.xlsx");
    WorkbookError error;
    const bool written = WriteQuoteWorkbook(sheet, file, &error);
    std::setlocale(LC_NUMERIC, "C");
    qputenv("LOCPATH", oldLocPath);
    ASSERT_TRUE(written) << error.text.toStdString();

    const QByteArray xml = zipEntry(file, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(worksheetCells(file, "xl/worksheets/sheet1.xml").value("D2"), QStringLiteral("333.3333"));
    EXPECT_EQ(xmlValues(xml, "col", "width").value(0), QStringLiteral("10.7109375"));
    EXPECT_TRUE(xml.contains("left=\"0.7\"")) << xml.constData();
    EXPECT_FALSE(QRegularExpression(QStringLiteral("\"\\d+,\\d+\"")).match(QString::fromUtf8(xml)).hasMatch())
        << xml.constData();
}
