#include "app/batch/BatchRun.h"
#include "excel/QuoteExport.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/ZipArchive.h"
#include "quote/AgencyDetails.h"
#include "quote/QuoteTexts.h"
#include "sheet/CostSheet.h"
#include "tests/common/TestText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// The worked example's sheet, as a workbook quilvar-batch imports.
QString workedExample(const QTemporaryDir &dir)
{
    const std::tuple<const char16_t *, const char16_t *, const char *> rows[] = {
        {u"房", u"单价: 300.00 × 10间 × 5晚", "15000"}, {u"餐", u"单价: 50.00 × 20人 × 9餐", "9000"},
        {u"车", u"单价: 1200.00 × 6天", "7200"},        {u"导游", u"单价: 300.00 × 6天", "1800"},
        {u"景点门票", u"单价: 120.00 × 20人", "2400"},
    };
    CostSheet sheet;
    int position = 0;
    for (const auto &[category, expression, amount] : rows) {
        const QString number = QString::number(++position);
        sheet.setRow(position, {number, q(category), q(u"内容") + number, q(expression), amount, true});
    }
    const QString path = dir.filePath(QStringLiteral("sheet.xlsx"));
    WorkbookError error;
    EXPECT_TRUE(WriteQuoteWorkbook(sheet, path, &error)) << error.text.toStdString();
    return path;
}

// One ticked line that costs nothing.
QString zeroSheet(const QTemporaryDir &dir)
{
    CostSheet sheet;
    sheet.setRow(1, {"1", q(u"车"), {}, q(u"单价: 0.00 × 6天"), QStringLiteral("0"), true});
    const QString path = dir.filePath(QStringLiteral("zero.xlsx"));
    WorkbookError error;
    EXPECT_TRUE(WriteQuoteWorkbook(sheet, path, &error)) << error.text.toStdString();
    return path;
}

// As a Chinese keyboard may type them.
const QStringList workedSettings{"--quote", "15、20，15，", "--foc", "１５",  "--staff", "1",       "--rooms",
                                 "twin",    "--markup",     "15%",   "--tax", "６",      "--round", "10"};

// Every figure of the worked example that only the agency may see.
const QStringList agencyFigures{"32190", "2146", "148.3019", "325.6981", "12.43", "4885.4715",
                                "39540", "1977", "136.4151", "296.5849", "12.31", "5931.698",
                                "13500", "单价", "成本",     "利润",     "税金",  "毛利"};

QString sizes(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list.append(QString::number(i));
    return list.join(u',');
}

// The arguments, separated by blanks, and the start of the message that refuses them.
using Usage = std::pair<QString, const char16_t *>;

TEST(QuoteBatch, UsageErrorsWriteNothing)
{
    for (const auto &[given, message] :
         {Usage{"--quote 0", u"团队人数“0”应为 1 到 9999 的整数"}, Usage{"--quote 15,1.5", u"团队人数“1.5”应为"},
          Usage{"--quote 10000", u"团队人数“10000”应为"}, Usage{"--quote ,", u"请填写团队人数"},
          Usage{"--quote " + sizes(101), u"团队人数最多 100 档"},
          Usage{"--quote 15 --markup 10 --margin 20", u"只能给出其中一个"},
          Usage{"--quote 15 --margin 100", u"毛利率“100”应小于 100"},
          Usage{"--quote 15 --profit -5", u"每人利润“-5”应为 0 或更大的数"},
          Usage{"--quote 15 --tax -1", u"税点“-1”应为 0 到 100"}, Usage{"--quote 15 --tax 100.5", u"税点“100.5”应为"},
          Usage{"--quote 15 --tax-base gross", u"计税方式“gross”"},
          Usage{"--quote 15 --rooms double", u"排房方式“double”"}, Usage{"--quote 15 --foc x", u"免费名额“x”"},
          Usage{"--quote 15 --staff -1", u"陪同人数“-1”"}, Usage{"--quote 15 --round 0.00001", u"取整“0.00001”"},
          Usage{"--foc 15", u"选项 --foc 只能与 --quote 一起使用"},
          Usage{"--quote 15 --quote-pdf ", u"选项 --quote-pdf 缺少文件名"}}) {
        SCOPED_TRACE(testing::PrintToString(given));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("q.pdf")), xlsx = dir.filePath(QStringLiteral("q.xlsx"));
        QStringList arguments = given.split(u' ');
        if (!arguments.contains(QStringLiteral("--quote-pdf")))
            arguments << "--quote-pdf" << pdf;
        if (given.startsWith(QStringLiteral("--quote ")))
            arguments << "--quote-xlsx" << xlsx << "--json";
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        EXPECT_EQ(RunBatch(arguments, outStream, errStream), BatchBadArguments) << arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(q(message))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_FALSE(QFile::exists(pdf) || QFile::exists(xlsx));
    }
}

// A file the run would write is one it reads, or another it writes, under another name: refused
// before anything is written. (No PDF here: it needs the batch program's own application object.)
TEST(QuoteBatch, NoFileOverwrittenByTheRunsOwnOutputs)
{
    QTemporaryDir dir;
    const QString cost = workedExample(dir);
    QFile costFile(cost);
    ASSERT_TRUE(costFile.open(QIODevice::ReadOnly));
    const QByteArray costBytes = costFile.readAll();
    costFile.close();
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QFile::link(cost, dir.filePath(QStringLiteral("link.xlsx")));
    // Where the file system ignores case, the upper-case name is the cost workbook too.
    const bool caseBlind = QFile::exists(dir.filePath(QStringLiteral("SHEET.XLSX")));
    const std::tuple<const char *, QString, bool> cases[] = {
        {"ImportAsQuote", "--import sheet.xlsx --quote-xlsx sheet.xlsx", true},
        {"ThroughDotDot", "--import sheet.xlsx --quote-xlsx sub/../sheet.xlsx", true},
        {"OtherCase", "--import sheet.xlsx --quote-xlsx SHEET.XLSX", caseBlind},
#ifndef _WIN32
        {"ThroughALink", "--import link.xlsx --export sheet.xlsx", true},
#endif
        {"ExportOverImport", "--import sheet.xlsx --export ./sheet.xlsx", true},
        {"TwoDocumentsOneFile", "--export q.out --quote-xlsx sub/../q.out", true},
        {"ExportAsDocument", "--export e.xlsx --quote-xlsx e.xlsx", true},
        {"SettingsFile", "--query x --ini default.ini --quote-xlsx ./default.ini", true},
        {"DifferentFiles", "--import sheet.xlsx --export other.xlsx --quote-xlsx q.xlsx", false},
    };
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto restore = qScopeGuard([&before] { QDir::setCurrent(before); });
    for (const auto &[name, given, same] : cases) {
        SCOPED_TRACE(name);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const QStringList arguments = given.split(u' ') + QStringList{"--quote", "15"};
        EXPECT_EQ(RunBatch(arguments, outStream, errStream), same ? BatchBadArguments : BatchOk) << err.toStdString();
        EXPECT_EQ(err.contains(q(u"是同一个文件")), same) << err.toStdString();
        QFile file(cost);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), costBytes);
        EXPECT_EQ(QFile::exists(QStringLiteral("q.out")) || QFile::exists(QStringLiteral("e.xlsx")), false);
    }
}

struct BatchResult
{
    int status;
    QString out, err;
};

// fontConfig: a fontconfig set-up (Linux); fontDir: the one font folder (Windows' offscreen platform).
BatchResult runBatch(const QStringList &arguments, const QString &fontConfig = QString(),
                     const QString &fontDir = QString())
{
    QProcess process;
    if (!fontConfig.isEmpty() || !fontDir.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!fontConfig.isEmpty())
            environment.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfig);
        if (!fontDir.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_FONTDIR"), fontDir);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(QuoteBatch, JsonAfterEveryOtherStep)
{
    QTemporaryDir dir;
    const BatchResult run = runBatch(QStringList{"--import", workedExample(dir), "--json"} + workedSettings);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    // The sheet's own figures stay as the import left them.
    EXPECT_TRUE(run.out.contains(QStringLiteral("\"total\":\"35400\",")));
    EXPECT_TRUE(run.out.contains(QStringLiteral(
        R"("quote":{"flagged":[],"breaks":[{"paying":"15","free":"1","staff":"1","travellers":"17","rooms":"9","cost":"32190",)"
        R"("costperhead":"2146","price":"2620","tax":"148.3019","profit":"325.6981","margin":"12.43",)"
        R"("groupprice":"39300","groupprofit":"4885.4715","child":"1520"},{"paying":"20","free":"1","staff":"1",)"
        R"("travellers":"22","rooms":"12","cost":"39540","costperhead":"1977","price":"2410","tax":"136.4151",)"
        R"("profit":"296.5849","margin":"12.31","groupprice":"48200","groupprofit":"5931.698","child":"1320"}],)"
        R"("singlesupplement":"920"}})")))
        << run.out.toStdString();

    GroupQuote flagged;
    flagged.flagged.append({"3", q(u"房"), {}, Amount::fromUnits(350000000), Amount::fromUnits(375000000)});
    EXPECT_TRUE(
        SheetJson(CostSheet(), {}, flagged)
            .endsWith(QStringLiteral(R"("quote":{"flagged":[{"row":"3","amount":"35000","expression":"37500"}],)"
                                     R"("breaks":[],"singlesupplement":"0"}})")));
}

// The texts of a workbook: its shared strings and the cells of its only worksheet.
QString workbookText(const QString &path, QString *sheetName)
{
    ZipArchive zip;
    WorkbookError error;
    EXPECT_TRUE(zip.openFile(path, &error)) << error.text.toStdString();
    QByteArray workbook, strings, cells;
    EXPECT_TRUE(zip.readEntry(QStringLiteral("xl/workbook.xml"), 1 << 20, &workbook, &error));
    EXPECT_TRUE(zip.readEntry(QStringLiteral("xl/sharedStrings.xml"), 1 << 20, &strings, &error));
    EXPECT_TRUE(zip.readEntry(QStringLiteral("xl/worksheets/sheet1.xml"), 1 << 20, &cells, &error));
    EXPECT_FALSE(zip.contains(QStringLiteral("xl/worksheets/sheet2.xml")));
    EXPECT_TRUE(cells.contains("<pageSetup paperSize=\"9\"")) << "printed on A4";
    *sheetName = QString::fromUtf8(workbook).section(QStringLiteral("<sheet name=\""), 1).section(u'"', 0, 0);
    return QString::fromUtf8(strings + cells);
}

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(QuoteBatch, CustomerDocumentsShowPricesAndNeverCosts)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("报价.pdf")), xlsx = dir.filePath(QStringLiteral("报价.xlsx"));
    const BatchResult run = runBatch(QStringList{"--import", workedExample(dir), "--tour-name", "云南八日游 -reverse",
                                                 "--tour-date", "2027年3月", "--excludes", "个人消费\n自费项目",
                                                 "--quote-pdf", pdf, "--quote-xlsx", xlsx} +
                                     workedSettings);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QString sheetName;
#ifdef _WIN32
    // Under Wine a Windows program cannot start the host's pdftotext: the PDF's text is read by the
    // Linux build's run of this test, here only its being there.
    EXPECT_TRUE(QFile(pdf).size() > 0);
    const QString documents[] = {workbookText(xlsx, &sheetName)};
#else
    const QString documents[] = {pdfText(pdf), workbookText(xlsx, &sheetName)};
#endif
    EXPECT_EQ(sheetName, QStringLiteral("报价单"));
    for (const QString &text : documents) {
        for (const QString &expected :
             {q(u"报价单"), q(u"云南八日游 -reverse"), q(u"2027年3月"), q(u"15+1"), q(u"20+1"), q(u"2620"), q(u"2410"),
              q(u"1520"), q(u"1320"), q(u"920"), q(u"费用包含"), q(u"景点门票"), q(u"内容5"), q(u"费用不含"),
              q(u"个人消费"), q(u"自费项目")})
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
        for (const QString &figure : agencyFigures)
            EXPECT_FALSE(text.contains(figure)) << figure.toStdString();
    }
}

// A fontconfig set-up that hides every font file matching the pattern.
QString fontConfigWithout(const QTemporaryDir &dir, const QString &pattern)
{
    const QString path = dir.filePath(QStringLiteral("fonts.conf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
               "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include><selectfont><rejectfont><glob>" +
               pattern.toUtf8() + "</glob></rejectfont></selectfont></fontconfig>");
    return path;
}

TEST(QuoteBatch, DocumentsOnTheAgencysPaperReadBackInEitherFont)
{
#ifdef _WIN32
    GTEST_SKIP() << "the fonts are chosen through fontconfig and read back with pdftotext: the Linux run";
#endif
    // The embedded font's name, and the fonts hidden so that it is the only CJK font.
    const std::pair<const char *, const char *> fonts[] = {{"NotoSansCJK", "*/wqy/*"}, {"WenQuanYi", "*/noto/*CJK*"}};
    for (const auto &[font, hidden] : fonts) {
        SCOPED_TRACE(font);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("default.ini")), logo = dir.filePath(QStringLiteral("l.png"));
        QImage(40, 20, QImage::Format_RGB32).save(logo);
        AgencyDetails agency{q(u"云南山水国际旅行社"),
                             q(u"昆明市青年路 100 号"),
                             QStringLiteral("0871-63123456"),
                             q(u"李明"),
                             QStringLiteral("L-YN-CJ00123"),
                             {},
                             q(u"出发前 7 天付清余款。\n取消收 50%。")};
        QString error;
        ASSERT_TRUE(CopyAgencyLogo(logo, ini, &agency.logo, &error) && WriteAgencyDetails(agency, ini, &error));
        const QString pdf = dir.filePath(QStringLiteral("q.pdf")), xlsx = dir.filePath(QStringLiteral("q.xlsx"));
        const QString number = NextQuoteNumber(QString(), QDate::currentDate());
        const BatchResult run =
            runBatch(QStringList{"--import", workedExample(dir), "--ini", ini, "--tour-name", q(u"云南八日游"),
                                 "--tour-date", q(u"12月8日"), "--excludes", q(u"个人消费\n儿童门票"), "--issue-date",
                                 "2026-12-07", "--quote-pdf", pdf, "--quote-xlsx", xlsx} +
                         workedSettings,
                     fontConfigWithout(dir, QString::fromLatin1(hidden)));
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(ReadLastQuoteNumber(ini), number) << "the running number moves on";
        QFile written(pdf);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().contains(QByteArray("/BaseFont /") + font)) << "the font asked for";
        QString sheetName;
        const QString workbook = workbookText(xlsx, &sheetName);
        EXPECT_TRUE(workbook.contains(QStringLiteral("<mergeCell ")) &&
                    workbook.contains(QStringLiteral("customHeight")));
        for (const QString &text : {pdfText(pdf), workbook}) {
            for (const QString &expected :
                 {q(u"云南山水国际旅行社"), q(u"地址：昆明市青年路 100 号"), q(u"联系人：李明"), q(u"L-YN-CJ00123"),
                  q(u"报价编号：") + number, q(u"报价日期：2026年12月7日"), q(u"报价有效期至 2026年12月22日"),
                  q(u"景点门票：内容5"), q(u"儿童标准：2–11岁，不占床"), q(u"取消收 50%"), q(u"人"), q(u"八"), q(u"日"),
                  q(u"月"), q(u"儿")})
                EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
            // No character of the text reads back as a look-alike radical (⼈ for 人).
            EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[\\x{2E80}-\\x{2FDF}]"))));
        }
    }
}

TEST(QuoteBatch, NoDocumentWithoutAPrice)
{
    enum Sheet
    {
        Blank,
        Worked,
        Zero
    };
    struct Case
    {
        const char *name;
        Sheet sheet;
        QStringList settings;
        const char16_t *message;
    };
    const Case cases[] = {
        {"BeyondTheMoneyRange", Worked, {"--quote", "9999", "--profit", "999999999999"}, u"超出金额范围"},
        {"NothingTicked", Blank, {"--quote", "15", "--markup", "10"}, u"没有勾选"},
        {"NothingCosts", Zero, {"--quote", "15", "--markup", "10"}, u"每一档报价都不大于 0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("q.pdf"));
        QStringList arguments = c.settings + QStringList{"--quote-pdf", pdf};
        if (c.sheet != Blank)
            arguments << "--import" << (c.sheet == Zero ? zeroSheet(dir) : workedExample(dir));
        const BatchResult run = runBatch(arguments);
        EXPECT_EQ(run.status, BatchWorkbookFailed);
        EXPECT_TRUE(run.err.contains(q(c.message))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

// A system without a Chinese font would get a PDF of empty boxes: refused by name, nothing written.
TEST(QuoteBatch, NoChineseFontMakesNoPdf)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("q.pdf")), noFonts = dir.filePath(QStringLiteral("fonts"));
    ASSERT_TRUE(QDir().mkpath(noFonts));
    const BatchResult run = runBatch(QStringList{"--import", workedExample(dir), "--quote-pdf", pdf} + workedSettings,
                                     fontConfigWithout(dir, QStringLiteral("*")), noFonts);
    EXPECT_EQ(run.status, BatchWorkbookFailed);
    EXPECT_TRUE(run.err.contains(q(u"无法写入报价单")) && run.err.contains(q(u"没有可用的中文字体")))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
