#include "app/batch/BatchRun.h"

#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/ZipArchive.h"
#include "sheet/CostSheet.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

QString q(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// A quote whose price is 450 a head plus 1,900: two per-person lines, a fixed line, a line without
// an expression, and an unticked line, which the quote workbook leaves out.
QString writeQuote(const QTemporaryDir &dir)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", q(u"房"), q(u"如家"), q(u"单价: 200 × 2间 × 3人"), "1200", true});
    sheet.setRow(2, {"2", q(u"餐"), {}, q(u"单价: 50 × 3人"), "150", true});
    sheet.setRow(3, {"3", q(u"车"), {}, q(u"单价: 800 × 2天"), "1600", true});
    sheet.setRow(4, {"4", q(u"导游"), {}, {}, "300", true});
    sheet.setRow(5, {"5", q(u"其它"), {}, q(u"单价: 1000 × 3人"), "3000", false});
    sheet.setText3("3");
    sheet.RefreshTotals();
    const QString path = dir.filePath(QStringLiteral("quote.xlsx"));
    EXPECT_TRUE(WriteQuoteWorkbook(sheet, path, nullptr));
    return path;
}

struct ProcessRun
{
    int status;
    QString out, err;
};

ProcessRun runExecutable(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray entry(const ZipArchive &zip, const QString &name)
{
    QByteArray content;
    QString error;
    EXPECT_TRUE(zip.readEntry(name, 1 << 24, &content, &error)) << name.toStdString() << error.toStdString();
    return content;
}

// The texts of the elements named `name` (with their attribute `attribute`, when given) in document order.
QStringList collect(const QByteArray &xml, const QString &name, const QString &attribute = QString())
{
    QStringList out;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name)
            out.append(attribute.isEmpty() ? reader.readElementText(QXmlStreamReader::IncludeChildElements)
                                           : reader.attributes().value(attribute).toString());
    }
    return out;
}

// The cells of a worksheet by reference (A1, B2, …), shared strings resolved.
QMap<QString, QString> cells(const ZipArchive &zip, const QString &sheetPath)
{
    const QStringList shared = collect(entry(zip, QStringLiteral("xl/sharedStrings.xml")), QStringLiteral("si"));
    QMap<QString, QString> out;
    QXmlStreamReader reader(entry(zip, sheetPath));
    QString ref, type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("c")) {
            ref = reader.attributes().value(QLatin1String("r")).toString();
            type = reader.attributes().value(QLatin1String("t")).toString();
        } else if (reader.name() == QLatin1String("v")) {
            const QString value = reader.readElementText();
            out.insert(ref, type == QLatin1String("s") ? shared.value(value.toInt()) : value);
        }
    }
    return out;
}

TEST(BatchPriceBreaks, PricesEachGroupSizeAndExportsTheTable)
{
    QTemporaryDir dir;
    const QString source = writeQuote(dir);
    const QString exported = dir.filePath(QStringLiteral("价格.xlsx"));
    const ProcessRun run = runExecutable(
        {"--import", source, "--headcount", "8", "--headcounts", "10, 16,25,7", "--export", exported, "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // By hand: 450 a head plus 1,900 (the unticked line is left out).
    const QStringList expected[] = {
        {"10", "6400", "640"}, {"16", "9100", "568.75"}, {"25", "13150", "526"}, {"7", "5050", "721.4286"}};
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonArray breaks = json.value("breaks").toArray();
    ASSERT_EQ(breaks.size(), 4) << run.out.toStdString();
    for (int i = 0; i < 4; ++i) {
        const QJsonObject b = breaks.at(i).toObject();
        EXPECT_EQ(
            QStringList({b.value("headcount").toString(), b.value("total").toString(), b.value("perhead").toString()}),
            expected[i]);
    }
    // The quote itself is what the other steps left: head count 8, no refresh asked for.
    EXPECT_EQ(json.value("headcount").toString(), "8");
    EXPECT_EQ(json.value("total").toString(), "3250");
    EXPECT_EQ(json.value("rows").toArray().at(0).toObject().value("amount").toString(), "1200");
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("\"breaks\":[{\"headcount\":\"10\",\"total\":\"6400\",\"perhead\":\"640\"},")));

    // The first worksheet stays the quote, so the import reads it as before; the table comes second.
    CostSheet imported;
    QString error;
    ASSERT_TRUE(InExcel(imported, exported, &error)) << error.toStdString();
    EXPECT_EQ(imported.row(1).Expression, q(u"单价: 200 × 2间 × 3人"));
    EXPECT_EQ(imported.Text3(), "8");

    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ZipArchive zip;
    ASSERT_TRUE(zip.open(bytes, &error)) << error.toStdString();
    EXPECT_EQ(collect(entry(zip, "xl/workbook.xml"), "sheet", "name"), QStringList({"Sheet1", q(u"人数价格表")}));
    const QMap<QString, QString> table = cells(zip, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(QStringList({table["A1"], table["B1"], table["C1"]}), QStringList({q(u"人数"), q(u"合计"), q(u"每人")}));
    for (int i = 0; i < 4; ++i) {
        const QString row = QString::number(i + 2);
        EXPECT_EQ(QStringList({table["A" + row], table["B" + row], table["C" + row]}), expected[i]) << i;
    }
    EXPECT_EQ(table.size(), 15);
}

TEST(BatchPriceBreaks, ABadListIsAUsageError)
{
    for (const char *list : {"", "16,x"}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        EXPECT_EQ(RunBatch({"--headcounts", list, "--json"}, outStream, errStream), 2) << list;
        EXPECT_TRUE(err.contains(QStringLiteral("--headcounts"))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
}

} // namespace
