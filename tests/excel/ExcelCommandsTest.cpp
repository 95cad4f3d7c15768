#include "SheetState.h"

#include "common/Dialogs.h"
#include "excel/ExcelCommands.h"
#include "excel/QuoteExport.h"
#include "tests/common/TestText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Stands in for the desktop's spreadsheet program.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class ExcelCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Dialogs::setScripted(true);
        Dialogs::takeShownMessages();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        window.setObjectName(QStringLiteral("计算器"));
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        Dialogs::setScripted(false);
    }

    QTemporaryDir dir;
    OpenedUrls opened;
    QWidget window;
};

} // namespace

// A name typed without a suffix gets ".xlsx", so that the file opens in a spreadsheet program; without
// a program to open it, the planner is told where the file went.
TEST_F(ExcelCommands, ExportWritesAndOpensTheFile)
{
    const char *names[][2] = {
        {"报价单.xlsx", "报价单.xlsx"}, {"报价单", "报价单.xlsx"}, {"旧报价.XLSX", "旧报价.XLSX"}};
    for (const auto &[typed, written] : names) {
        CostSheet sheet;
        fillSample(sheet);
        const SheetState before = SheetState::of(sheet);
        const QString path = dir.filePath(QString::fromUtf8(written));
        opened.urls.clear();
        Dialogs::setNextFileName(dir.filePath(QString::fromUtf8(typed)));
        EXPECT_TRUE(OutExcel(&window, sheet));
        EXPECT_TRUE(QFile::exists(path)) << typed;
        EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
        EXPECT_TRUE(Dialogs::takeShownMessages().isEmpty());
        EXPECT_EQ(SheetState::of(sheet), before);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("报价单"))));

    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    CostSheet sheet;
    const QString path = dir.filePath(QStringLiteral("无程序.xlsx"));
    Dialogs::setNextFileName(path);
    EXPECT_TRUE(OutExcel(&window, sheet));
    const QList<Dialogs::ShownMessage> shown = Dialogs::takeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().icon, Dialogs::Icon::Information);
    EXPECT_TRUE(shown.first().text.contains(QDir::toNativeSeparators(path))) << shown.first().text.toStdString();

    // A fresh account has no documents folder: it is made, or the home folder is suggested instead.
    const QString documents = dir.filePath(QStringLiteral("新用户/文档"));
    EXPECT_EQ(SuggestedExportPath(documents), documents + QStringLiteral("/报价单.xlsx"));
    EXPECT_TRUE(QFileInfo(documents).isDir());
    const QString home = QDir::home().filePath(QStringLiteral("报价单.xlsx"));
    EXPECT_EQ(SuggestedExportPath(QStringLiteral("/proc/无法创建")), home);
    EXPECT_EQ(SuggestedExportPath(QString()), home);
}

// A cancelled dialog changes nothing and says nothing; a failure says why under the command's title.
TEST_F(ExcelCommands, CancelAndFailureChangeNothing)
{
    const QString damaged = dir.filePath(QStringLiteral("坏.xls"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("PK\x03\x04 not really a zip");
    file.close();
    // Export or import, the dialog's answer (empty: a cancel), title, part of the message.
    const std::tuple<bool, QString, const char *, const char *> cases[] = {
        {true, QString(), "", ""},
        {true, dir.filePath(QStringLiteral("missing folder/报价单.xlsx")), "导出到Excel", "无法写入"},
        {false, QString(), "", ""},
        {false, damaged, "从Excel导入", "损坏"},
    };
    for (const auto &[export_, fileName, title, message] : cases) {
        CostSheet sheet;
        fillSample(sheet);
        const SheetState before = SheetState::of(sheet);
        Dialogs::setNextFileName(fileName);
        EXPECT_FALSE(export_ ? OutExcel(&window, sheet) : InExcelCommand(&window, sheet)) << title;
        EXPECT_EQ(SheetState::of(sheet), before) << title;
        EXPECT_TRUE(opened.urls.isEmpty());
        const QList<Dialogs::ShownMessage> shown = Dialogs::takeShownMessages();
        ASSERT_EQ(shown.size(), fileName.isEmpty() ? 0 : 1) << title;
        if (shown.isEmpty())
            continue;
        EXPECT_EQ(shown.first().title, QString::fromUtf8(title));
        EXPECT_EQ(shown.first().icon, Dialogs::Icon::Warning);
        EXPECT_TRUE(shown.first().text.contains(QString::fromUtf8(message))) << shown.first().text.toStdString();
        // Entirely in Chinese, whatever the system said: no English words once the paths are left out.
        QString text = shown.first().text;
        text.remove(QDir::toNativeSeparators(fileName)).remove(QDir::toNativeSeparators(QFileInfo(fileName).path()));
        EXPECT_FALSE(text.remove(QStringLiteral("Excel")).contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}"))))
            << text.toStdString();
    }
}

// The import replaces the sheet and recomputes the totals; WPS's own workbook (.et, a BIFF8 compound
// file as .xls is; here LibreOffice's .xls renamed) is offered after the other formats and read.
TEST_F(ExcelCommands, ImportReplacesTheSheetAndRecomputesTheTotals)
{
    EXPECT_TRUE(ImportFileFilters().endsWith(QStringLiteral(";;WPS 表格 (*.et *.ett)")));
    const QString et = dir.filePath(QStringLiteral("报价.et"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILVAR_EXCEL_FIXTURES "/lo_quote.xls"), et));
    const QStringList cases[] = {
        {QStringLiteral(QUILVAR_EXCEL_FIXTURES "/openpyxl_quote.xlsx"), "  锦江之星 ", "8", "4111.8", "513.975"},
        {et, "锦江之星 标准间", "8", "2790", "348.75"}};
    for (const QStringList &c : cases) {
        CostSheet sheet;
        fillSample(sheet);
        Dialogs::setNextFileName(c.at(0));
        EXPECT_TRUE(InExcelCommand(&window, sheet));
        EXPECT_EQ((QStringList{c.at(0), sheet.row(1).Content, sheet.Text3(), sheet.Text1(), sheet.Text4()}), c);
        EXPECT_TRUE(sheet.row(1).Included);
        EXPECT_TRUE(Dialogs::takeShownMessages().isEmpty());
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

#include "ExcelCommandsTest.moc"
