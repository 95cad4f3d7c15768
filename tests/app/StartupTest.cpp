#include "app/Startup.h"
#include "app/CalculatorWindow.h"
#include "app/CommandLine.h"
#include "app/memory/SheetFolder.h"
#include "common/Dialogs.h"
#include "common/LeadingNumber.h"
#include "common/ProgramExit.h"

#include "../db/TestServer.h"
#include "tests/common/TestText.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The host launch from the command line to the window shown, against the tests' PostgreSQL
// server and the bundled SQLite sample.
class StartupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Dialogs::setScripted(true);
        setEndProgramHandler([this](int status) { m_ended = status; });
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { setEndProgramHandler(nullptr); }

    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath(QStringLiteral("default.ini"));
    std::optional<int> m_ended;
};

TEST_F(StartupTest, HostQueryFillsTheSheetThenTheHeadCount)
{
    const PgServer server = PgServer::fromEnvironment();
    ASSERT_TRUE(server.available()) << "needs the PostgreSQL fixture";
    WritePgIni(m_ini, server, server.user, server.password, server.database);

    CalculatorWindow window;
    QStringList perHead; // each per-head text, and whether the window was shown by then
    QObject::connect(&window.sheet(), &CostSheet::text4Changed,
                     [&](const QString &text) { perHead << text + (window.isVisible() ? " shown" : ""); });
    // The host wrapped the whole argument in quotes: the closing one stays with the head count.
    StartCalculator(window,
                    QStringLiteral("\"SELECT category, content, expression, amount FROM cost_line WHERE line_no <= 3 "
                                   "ORDER BY line_no#-#8\""),
                    m_ini);
    EXPECT_FALSE(m_ended.has_value());
    EXPECT_TRUE(Dialogs::takeShownMessages().isEmpty());
    // The rows themselves are the fill tests' (tests/sheet, the same query).
    const CostSheet &sheet = window.sheet();
    EXPECT_EQ(sheet.rowCount(), 20);
    EXPECT_TRUE(sheet.row(3).Included && !sheet.row(4).Included);
    EXPECT_EQ(sheet.Text1(), QStringLiteral("2581.5"));
    EXPECT_EQ(sheet.Text3(), QStringLiteral("8\""));
    EXPECT_EQ(window.findChild<QWidget *>(QStringLiteral("Text3"))->property("text").toString(), QStringLiteral("8\""));
    // In this order: the fill (its totals leave the per-head box empty while the head count is
    // still empty), then the head count (one per-head text, from the fill's total), then the window.
    EXPECT_EQ(perHead, QStringList{QStringLiteral("322.6875")});
    EXPECT_TRUE(window.isVisible());
}

TEST_F(StartupTest, AFailingQueryEndsTheProgramWithItsErrorAndNoWindow)
{
    WriteSqliteIni(m_ini, QStringLiteral(QUILVAR_SAMPLE_DB));
    CalculatorWindow window;
    StartCalculator(window, QStringLiteral("SELECT a, b, c, d FROM no_such_table#-#5"), m_ini);
    ASSERT_TRUE(m_ended.has_value());
    const QList<Dialogs::ShownMessage> shown = Dialogs::takeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().title, QStringLiteral("运行时错误"));
    EXPECT_TRUE(shown.first().text.contains(QStringLiteral("no_such_table"))) << shown.first().text.toStdString();
    EXPECT_EQ(window.sheet().Text3(), QString()); // the head count never comes
    EXPECT_FALSE(window.isVisible());
}

TEST_F(StartupTest, PlainStartShowsTwentyEmptyRows)
{
    CalculatorWindow window;
    StartCalculator(window, QStringLiteral("   "), m_ini);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.sheet().rowCount(), 20);
    EXPECT_TRUE(window.sheet().Text1().isEmpty() && window.sheet().Text3().isEmpty());
    EXPECT_FALSE(QFile::exists(m_ini)); // without a query the settings are never touched
}

// The test program is started as a host starts quilvar (tests/app/gui.cmake gives it the host's
// words): words that Qt would take for its own options reach the program and not Qt, and a query
// the host wrapped in double quotes, as agency systems do on Windows, keeps its Chinese text and
// its head count.
QString ProgramText; // what the program got as its arguments text

TEST(HostArguments, ReachTheProgramWholeAndQtTakesNone)
{
    EXPECT_EQ(ProgramText, QStringLiteral("select -reverse -style fusion #-# -session s1 -geometry 1x1"));
    EXPECT_EQ(QCoreApplication::arguments().size(), 1);
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
}

TEST(HostArguments, QuotedQueryAsTheHostWroteIt)
{
    const CommandLine cut = CutCommandLine(ProgramText);
    EXPECT_EQ(cut.query, QStringLiteral("select 项目, 金额 from 报价明细 where 团号 = 'T 1'"));
    ASSERT_TRUE(cut.headCountText.has_value());
    EXPECT_EQ(LeadingNumber(*cut.headCountText), 25);
}

int main(int argc, char *argv[])
{
    HostArguments host(argc, argv);
    ProgramText = host.text();
    testing::InitGoogleTest(&argc, argv);
    QApplication app(host.qtArgc(), host.qtArgv());
    QTemporaryDir sheets;
    SheetFolder::setPathForTests(sheets.path());
    return RUN_ALL_TESTS();
}
