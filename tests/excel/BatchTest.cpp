#include "app/batch/BatchRun.h"

#include "excel/QuoteImport.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

const QString Fixtures = QStringLiteral(QUILVAR_EXCEL_FIXTURES);

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

BatchRun runExecutable(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(Batch, HelpAndBadArguments)
{
    const BatchRun help = runInProcess({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--import")) << help.out.toStdString();

    const QStringList bad[] = {
        {"--bogus"},    {"file.xlsx"}, {"--import"},     {"--import", "a.xlsx", "--import", "b.xlsx"},
        {"--json=yes"}, {"--import="}, {"--export", ""}, {"-json"},
    };
    for (const QStringList &arguments : bad) {
        const BatchRun run = runInProcess(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("用法"))) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(Batch, FreshSheetAsJson)
{
    const BatchRun run = runInProcess({"--json"});
    ASSERT_EQ(run.status, 0);
    QString expected = QStringLiteral("{\"rows\":[");
    for (int k = 1; k <= 20; ++k) {
        expected += QStringLiteral("%1{\"number\":\"%2\",\"included\":false,\"category\":\"\",\"content\":\"\","
                                   "\"expression\":\"\",\"amount\":\"\"}")
                        .arg(k > 1 ? "," : "")
                        .arg(k);
    }
    expected += QStringLiteral("],\"total\":\"\",\"headcount\":\"\",\"perhead\":\"\"}\n");
    EXPECT_EQ(run.out, expected);
}

TEST(Batch, JsonKeepsTextsExactly)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", QStringLiteral(" 房\"\\ "), QStringLiteral("a\nb\tc\x01"), QString(QChar(0xD800)),
                     QStringLiteral("😀"), true});
    const QString json = SheetJson(sheet);
    EXPECT_TRUE(
        json.startsWith(QStringLiteral("{\"rows\":[{\"number\":\"1\",\"included\":true,\"category\":\" 房\\\"\\\\ \","
                                       "\"content\":\"a\\nb\\tc\\u0001\",\"expression\":\"\\ud800\","
                                       "\"amount\":\"😀\"},")))
        << json.left(200).toStdString();
    QJsonParseError error;
    QJsonDocument::fromJson(json.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
}

TEST(Batch, WorkbookFailuresExitWithFour)
{
    QTemporaryDir dir;
    BatchRun run = runInProcess({"--import", dir.filePath("missing.xlsx"), "--json"});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.err.contains(QStringLiteral("找不到文件")));
    EXPECT_TRUE(run.out.isEmpty()); // nothing after a failed step

    run = runInProcess({"--export", dir.filePath("no folder/x.xlsx")});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法写入")));
}

TEST(Batch, RecalcWritesBackWhatTheEditorRebuilt)
{
    QTemporaryDir dir;
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
    QString error;
    ASSERT_TRUE(InExcel(expected, source, &error));
    expected.RefreshTotals();
    RecalcRows(expected);
    expected.setText3("10");
    RefreshHeadCount(expected);
    EXPECT_EQ(run.out, SheetJson(expected) + QLatin1Char('\n'));

    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(json.value("headcount").toString(), QStringLiteral("10"));
    const QJsonObject first = json.value("rows").toArray().at(0).toObject();
    EXPECT_EQ(first.value("category").toString(), QStringLiteral("  大交通"));
    EXPECT_TRUE(first.value("expression").toString().contains(QStringLiteral("10人")));

    // The exported file holds the same quote.
    const BatchRun back = runExecutable({"--import", exported, "--json"});
    ASSERT_EQ(back.status, 0);
    const QJsonObject again = QJsonDocument::fromJson(back.out.toUtf8()).object();
    EXPECT_EQ(again.value("total"), json.value("total"));
    EXPECT_EQ(again.value("headcount"), json.value("headcount"));
    EXPECT_EQ(again.value("perhead"), json.value("perhead"));
}

TEST(Batch, ExecutableExitStatuses)
{
    EXPECT_EQ(runExecutable({"--help"}).status, 0);
    const BatchRun bad = runExecutable({"--nope"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("未知的参数")));
    QTemporaryDir dir;
    const BatchRun unreadable = runExecutable({"--import", Fixtures + QStringLiteral("/../BatchTest.cpp")});
    EXPECT_EQ(unreadable.status, 4);
    EXPECT_FALSE(unreadable.err.isEmpty());
}

TEST(Batch, QueryFillsTheSheetFromTheDatabase)
{
    const QString sampleIni = QStringLiteral(QUILVAR_SAMPLE_INI);
    const QString query = QStringLiteral(
        "SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'BJ6D' ORDER BY line_no");
    const BatchRun run = runExecutable({"--query", query, "--ini", sampleIni, "--headcount", "30", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(json.value("total").toString(), QStringLiteral("122936"));
    EXPECT_EQ(json.value("perhead").toString(), QStringLiteral("4097.8667"));
    EXPECT_TRUE(json.value("rows").toArray().first().toObject().value("included").toBool());

    // Where the window would show a message, the batch prints it and exits with 3.
    QTemporaryDir dir;
    const BatchRun missing = runInProcess({"--query", query, "--ini", dir.filePath("none.ini")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("保存设置信息的文件没有找到"))) << missing.err.toStdString();
    const BatchRun failing = runInProcess({"--query", "SELECT a, b, c, d FROM no_such_table", "--ini", sampleIni});
    EXPECT_EQ(failing.status, 3);
    EXPECT_TRUE(failing.err.contains(QStringLiteral("no_such_table"))) << failing.err.toStdString();
    EXPECT_EQ(runInProcess({"--ini", sampleIni}).status, 2);
}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
