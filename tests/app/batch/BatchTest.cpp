#include "app/batch/BatchRun.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookError.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"
#include "tests/excel/TestWorkbookParts.h"
#include "tests/excel/TestZip.h"
#include "tests/sheet/TestRows.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

const QString Fixtures = QStringLiteral(QUILVAR_EXCEL_FIXTURES);
const QString SampleIni = QStringLiteral(QUILVAR_SAMPLE_INI);
const QString Query = QStringLiteral(
    "SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'BJ6D' ORDER BY line_no");

struct BatchRun
{
    int status;
    QString out;
    QString err;
};

BatchRun runInProcess(const QStringList &arguments)
{
    BatchRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = RunBatch(arguments, out, err);
    return run;
}

BatchRun runExecutable(const QStringList &arguments, const QString &program = QStringLiteral(QUILVAR_BATCH_EXECUTABLE))
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    // Windows ends a console program's lines with CR LF.
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).replace("\r\n", "\n"),
            QString::fromUtf8(process.readAllStandardError()).replace("\r\n", "\n")};
}

QJsonObject json(const BatchRun &run)
{
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

} // namespace

// Each failure has its exit status and a message on stderr, and nothing is printed after it.
TEST(Batch, ExitStatuses)
{
    QTemporaryDir dir;
    // Arguments, run as the executable (or in-process), exit status, part of stderr.
    QList<std::tuple<QStringList, bool, int, QString>> cases = {
        {{"--help"}, false, 0, ""},
        {{"--help"}, true, 0, ""},
        {{"--nope"}, true, 2, "未知的参数"},
        {{"--ini", SampleIni}, false, 2, "用法"}, // an ini without a query
        {{"--headcounts", "", "--json"}, false, 2, "--headcounts"},
        {{"--headcounts", "16,x", "--json"}, false, 2, "--headcounts"},
        {{"--query", Query, "--ini", dir.filePath("none.ini"), "--json"}, false, 3, "保存设置信息的文件没有找到"},
        {{"--query", "SELECT a, b, c, d FROM no_such_table", "--ini", SampleIni}, false, 3, "no_such_table"},
        {{"--import", dir.filePath("missing.xlsx"), "--json"}, false, 4, "找不到文件"},
        {{"--import", Fixtures + "/../TestZip.cpp", "--json"}, true, 4, "工作簿"},
        {{"--export", dir.filePath("no folder/x.xlsx")}, false, 4, "无法写入"},
        {{"--headcount", "0", "--refresh", "--json"}, true, 2, "大于 0 的人数"},
        {{"--refresh", "--json"}, false, 2, "大于 0 的人数"},
    };
    // The usage for what makes no command (words split at blanks).
    for (const char *usage : {"--bogus", "file.xlsx", "--import", "--json=yes", "--import a.xlsx --import b.xlsx",
                              "--import=", "--export ", "-json"})
        cases.append({QString::fromUtf8(usage).split(u' '), false, 2, "用法"});
    for (const auto &[arguments, executable, status, message] : cases) {
        const std::string name = arguments.join(' ').toStdString();
        const BatchRun run = executable ? runExecutable(arguments) : runInProcess(arguments);
        EXPECT_EQ(run.status, status) << name;
        EXPECT_TRUE(run.err.contains(message)) << name << ": " << run.err.toStdString();
        if (status == 0)
            EXPECT_TRUE(run.out.contains("--import")) << name;
        else
            EXPECT_TRUE(run.out.isEmpty()) << name;
    }
}

TEST(Batch, JsonOfAFreshSheetAndOfTextsThatNeedEscapes)
{
    QString expected = QStringLiteral("{\"rows\":[");
    for (int k = 1; k <= 20; ++k)
        expected += QStringLiteral("%1{\"number\":\"%2\",\"included\":false,\"category\":\"\",\"content\":\"\","
                                   "\"expression\":\"\",\"amount\":\"\"}")
                        .arg(k > 1 ? "," : "")
                        .arg(k);
    EXPECT_EQ(runInProcess({"--json"}).out, expected + "],\"total\":\"\",\"headcount\":\"\",\"perhead\":\"\"}\n");

    CostSheet sheet;
    sheet.setRow(1, {"1", QStringLiteral(" 房\"\\ "), QStringLiteral("a\nb\tc\x01"), QString(QChar(0xD800)),
                     QStringLiteral("😀"), true});
    const QString text = SheetJson(sheet);
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("{\"rows\":[{\"number\":\"1\",\"included\":true,\"category\":\" 房\\\"\\\\ \","
                                       "\"content\":\"a\\nb\\tc\\u0001\",\"expression\":\"\\ud800\","
                                       "\"amount\":\"😀\"},")))
        << text.left(200).toStdString();
    QJsonParseError error;
    QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
}

TEST(Batch, RecalcWritesBackWhatTheEditorRebuilt)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", "房", "", QStringLiteral("单价: 100 × 3天"), "0", false});
    sheet.setRow(2, {"2", "餐", "", QStringLiteral("   "), "55", true});
    sheet.setText3("2");
    RecalcRows(sheet);
    EXPECT_EQ(sheet.row(1).AmountText, QStringLiteral("300"));
    EXPECT_TRUE(sheet.row(1).Included);
    EXPECT_TRUE(sheet.row(1).Expression.contains(QStringLiteral("3天")));
    EXPECT_EQ(sheet.row(2).AmountText, QStringLiteral("55")); // blank expression: left alone
    EXPECT_EQ(sheet.Text1(), QStringLiteral("355"));
    EXPECT_EQ(sheet.Text4(), QStringLiteral("177.5"));
}

TEST(Batch, ExecutableRunsEveryStepInOrder)
{
    QTemporaryDir dir;
    const QString exported = dir.filePath(QStringLiteral("报价单.xlsx"));
    const QString source = Fixtures + QStringLiteral("/xlwt_quote.xls");
    const BatchRun run = runExecutable(
        {"--json", "--export", exported, "--refresh", "--headcount", "10", "--recalc", "--import", source});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());

    // The same steps by hand, in the fixed order whatever the order of the options.
    CostSheet expected;
    ASSERT_TRUE(InExcel(expected, source, nullptr));
    expected.RefreshTotals();
    RecalcRows(expected);
    expected.setText3("10");
    RefreshHeadCount(expected);
    EXPECT_EQ(run.out, SheetJson(expected) + QLatin1Char('\n'));
    EXPECT_EQ(json(run).value("rows").toArray().at(0).toObject().value("category").toString(),
              QStringLiteral("  大交通"));
    EXPECT_TRUE(json(run).value("rows").toArray().at(0).toObject().value("expression").toString().contains("10人"));

    // The exported file holds the same quote.
    const BatchRun back = runExecutable({"--import", exported, "--json"});
    ASSERT_EQ(back.status, 0);
    for (const char *key : {"total", "headcount", "perhead"})
        EXPECT_EQ(json(back).value(key), json(run).value(key)) << key;
}

// The .xls reader is looked for beside the program only, never where the build made it.
TEST(Batch, ExecutableAwayFromTheReaderDoesNotReadXls)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QFileInfo(QStringLiteral(QUILVAR_BATCH_EXECUTABLE)).fileName());
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), program));
    const BatchRun run = runExecutable({"--import", Fixtures + QStringLiteral("/xlwt_quote.xls"), "--json"}, program);
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法启动读取 .xls 工作簿的程序"))) << run.err.toStdString();
}

// A quote of n lines of 1 yuan each comes back whole: written by the program's own export (its totals
// row holds the head count 7), or without a totals row.
TEST(Batch, LongQuotesComeBackWhole)
{
    QTemporaryDir dir;
    for (const int lines : {499, 500, 501, 600, 2000}) {
        for (const bool totals : {true, false}) {
            const QString path = dir.filePath(QStringLiteral("%1-%2.xlsx").arg(lines).arg(totals));
            CostSheet sheet;
            QList<CostLine> quote;
            QByteArray rows = inlineRow(1, "项目");
            for (int k = 1; k <= lines; ++k) {
                quote.append({QString::number(k), "餐", {}, {}, "1", true});
                rows += inlineRow(k + 1, "餐", "1");
            }
            sheet.replaceRows(quote);
            sheet.setText3("7");
            ASSERT_TRUE(totals ? WriteQuoteWorkbook(sheet, path, nullptr) : writeZipForTest(path, xlsx(rows)));
            const BatchRun run = runInProcess({"--import", path, "--json"});
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            const QJsonArray back = json(run).value("rows").toArray();
            // Without a totals row, rows 2 to 501 are read as they always were.
            const int expected = totals ? std::max(lines, 20) : std::max(lines, 500);
            ASSERT_EQ(back.size(), expected) << lines << " " << totals;
            EXPECT_EQ(back.at(expected - 1).toObject().value("included").toBool(), expected == lines || !totals);
            EXPECT_EQ(json(run).value("total").toString(), QString::number(lines)) << lines << " " << totals;
            EXPECT_EQ(json(run).value("headcount").toString(), totals ? "7" : "0") << lines << " " << totals;
        }
    }
}

TEST(Batch, QueryFillsTheSheetFromTheDatabase)
{
    const BatchRun run = runExecutable({"--query", Query, "--ini", SampleIni, "--headcount", "30", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(json(run).value("total").toString(), QStringLiteral("122936"));
    EXPECT_EQ(json(run).value("perhead").toString(), QStringLiteral("4097.8667"));
    EXPECT_TRUE(json(run).value("rows").toArray().first().toObject().value("included").toBool());
}

TEST(Batch, PricesEachGroupSizeAndExportsTheTable)
{
    // 450 a head plus 1,900: two per-person lines, a fixed line, a line without an expression, and an
    // unticked line, which the quote workbook leaves out.
    QTemporaryDir dir;
    CostSheet sheet;
    sheet.setRow(1, {"1", "房", "如家", QStringLiteral("单价: 200 × 2间 × 3人"), "1200", true});
    sheet.setRow(2, {"2", "餐", {}, QStringLiteral("单价: 50 × 3人"), "150", true});
    sheet.setRow(3, {"3", "车", {}, QStringLiteral("单价: 800 × 2天"), "1600", true});
    sheet.setRow(4, {"4", "导游", {}, {}, "300", true});
    sheet.setRow(5, {"5", "其它", {}, QStringLiteral("单价: 1000 × 3人"), "3000", false});
    sheet.setText3("3");
    sheet.RefreshTotals();
    const QString source = dir.filePath(QStringLiteral("quote.xlsx"));
    ASSERT_TRUE(WriteQuoteWorkbook(sheet, source, nullptr));

    const QString exported = dir.filePath(QStringLiteral("价格.xlsx"));
    const BatchRun run = runExecutable(
        {"--import", source, "--headcount", "8", "--headcounts", "10, 16,25,7", "--export", exported, "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QList<QStringList> expected{
        {"10", "6400", "640"}, {"16", "9100", "568.75"}, {"25", "13150", "526"}, {"7", "5050", "721.4286"}};
    QList<QStringList> breaks;
    for (const QJsonValue &b : json(run).value("breaks").toArray())
        breaks.append({b["headcount"].toString(), b["total"].toString(), b["perhead"].toString()});
    EXPECT_EQ(breaks, expected) << run.out.toStdString();
    // The quote itself is what the other steps left: head count 8, no refresh asked for.
    EXPECT_EQ(json(run).value("headcount").toString(), "8");
    EXPECT_EQ(json(run).value("total").toString(), "3250");

    // The first worksheet stays the quote, so the import reads it as before; the table comes second.
    CostSheet imported;
    WorkbookError error;
    ASSERT_TRUE(InExcel(imported, exported, &error)) << error.text.toStdString();
    EXPECT_EQ(imported.row(1).Expression, QStringLiteral("单价: 200 × 2间 × 3人"));
    EXPECT_EQ(imported.Text3(), "8");
    EXPECT_EQ(xmlValues(zipEntry(exported, "xl/workbook.xml"), "sheet", "name"),
              QStringList({"Sheet1", QStringLiteral("人数价格表")}));
    const QMap<QString, QString> table = worksheetCells(exported, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(table.size(), 15);
    QList<QStringList> rows;
    for (int row = 1; row <= 5; ++row)
        rows.append({table.value(QStringLiteral("A%1").arg(row)), table.value(QStringLiteral("B%1").arg(row)),
                     table.value(QStringLiteral("C%1").arg(row))});
    EXPECT_EQ(rows, (QList<QStringList>{{"人数", "合计", "每人"}} + expected));
}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
