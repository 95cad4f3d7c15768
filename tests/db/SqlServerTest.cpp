#include "TestServer.h"

#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/IniFile.h"
#include "db/OdbcRecordset.h"
#include "db/SqlServerNetwork.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFill.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The SQL Server path a planner uses: the settings file, FreeTDS through unixODBC, a TDS server.
class SqlServerFill : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server = TdsServer::fromEnvironment();
        if (!m_server.available())
            GTEST_SKIP() << "no test SQL Server: run through ctest, which starts one";
        setSqlBrowserPort(quint16(m_server.browser));
    }
    void TearDown() override { setSqlBrowserPort(1434); }
    QString ini() const { return m_dir.filePath("default.ini"); }
    QString at(int port) const { return QStringLiteral("127.0.0.1,%1").arg(port); }
    // The fill as quilvar-batch runs it: 0, or 3 with the message.
    int fill(CostSheet &sheet, const QString &query, QString *message)
    {
        return FillSheetHeadless(sheet, ini(), query, message);
    }

    TdsServer m_server;
    QTemporaryDir m_dir;
};

TEST_F(SqlServerFill, EveryTypeAsText)
{
    WriteSqlServerIni(ini(), at(m_server.login));
    DbError error;
    ASSERT_TRUE(OpenMainConn(ini(), {}, &error)) << error.description.toStdString();
    OdbcRecordset records(MainConn());
    ASSERT_TRUE(records.open("SELECT typed_row", &error)) << error.description.toStdString();
    const char *expected[] = {"住宿 北京饭店",
                              "Hotel",
                              "门票",
                              "-42",
                              "120.5",                          // decimal(18,4) 120.5000
                              "12345678901234567890123456.789", // numeric(38,10): more digits than a double holds
                              "120.5",                          // money 120.50
                              "0.1",
                              "0.25",
                              "True",
                              "False",
                              "2024-05-01 13:45:30",
                              "2024-05-01 13:45:30.1234",
                              ""};
    ASSERT_EQ(records.columnCount(), int(std::size(expected)));
    for (int c = 0; c < records.columnCount(); ++c) {
        QString text;
        bool isNull = false;
        ASSERT_TRUE(records.value(c, &text, &error, &isNull)) << c;
        EXPECT_EQ(text, QString::fromUtf8(expected[c])) << c;
        EXPECT_EQ(isNull, c == records.columnCount() - 1) << c;
    }
}

TEST_F(SqlServerFill, FillsTheSheetAsTexts)
{
    struct Case
    {
        const char *query;
        int status;
        const char *cells; // row 1: category|content|expression|amount; empty when left unchanged
        const char *total;
    };
    const Case cases[] = {
        {"SELECT fill_row", 0, "住宿|北京饭店 标准间|380×2×3|120.5", "120.5"},
        {"SELECT bit_row", 0, "x|y|True|False", "0"},
        {"SELECT null_row", 0, "交通||1|2", "2"},
        // Fewer than four columns: nothing to read without rows; the totals are still recomputed.
        {"SELECT narrow_none", 0, "", "0"},
        {"SELECT narrow_one", 3, "", ""},
    };
    WriteSqlServerIni(ini(), at(m_server.login));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.query);
        CostSheet sheet;
        QString message;
        EXPECT_EQ(fill(sheet, c.query, &message), c.status) << message.toStdString();
        const CostLine &row = sheet.row(1);
        EXPECT_EQ(QStringList({row.Category, row.Content, row.Expression, row.AmountText}).join(u'|'),
                  QString::fromUtf8(*c.cells ? c.cells : "|||"));
        EXPECT_EQ(row.Included, *c.cells != 0);
        EXPECT_EQ(sheet.rowCount(), 20);
        EXPECT_EQ(sheet.Text1(), QString::fromUtf8(c.total));
    }
}

TEST_F(SqlServerFill, EveryCredentialArrivesExactly)
{
    // A value with ";" needs braces, which FreeTDS 1.3 ends at the first "};" and never undoubles.
    const char *forms[] = {"a;b}c", "}", "x}", "{x", "{a;b}", "a}}b", "a=b", "with blank", "张三 密码", ";", "};x"};
    for (const char *form : forms) {
        const QString value = QString::fromUtf8(form);
        SCOPED_TRACE(form);
        for (int field = 0; field < 3; ++field) {
            const QString user = field == 0 ? value : "planner";
            const QString password = field == 1 ? value : "pw";
            const QString database = field == 2 ? value : "tours";
            WriteSqlServerIni(ini(), at(m_server.login), user, password, database);
            CostSheet sheet;
            QString message;
            if (value.contains(QStringLiteral("};"))) {
                // Refused with the reason rather than logged in with a value cut short.
                EXPECT_EQ(fill(sheet, "SELECT login_facts", &message), 3);
                EXPECT_TRUE(message.contains(QStringLiteral("“};”"))) << message.toStdString();
                continue;
            }
            ASSERT_EQ(fill(sheet, "SELECT login_facts", &message), 0) << message.toStdString();
            const CostLine &seen = sheet.row(1);
            EXPECT_EQ(seen.Category, user);
            EXPECT_EQ(seen.Content, password);
            EXPECT_EQ(seen.Expression, database);
            // The session keeps the login's default language.
            EXPECT_EQ(seen.AmountText, "");
        }
    }
}

TEST_F(SqlServerFill, TheLogInIsNeverSentInTheClear)
{
    struct Case
    {
        int TdsServer::*port;
        const char *encryption; // the extension key, or nullptr
        int status;
    };
    const Case cases[] = {
        {&TdsServer::plain, nullptr, 3},  {&TdsServer::plain, "require", 3}, {&TdsServer::plain, "Optional", 0},
        {&TdsServer::forced, nullptr, 0}, {&TdsServer::login, nullptr, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.encryption ? c.encryption : "-");
        QFile::remove(ini());
        WriteSqlServerIni(ini(), at(m_server.*c.port));
        if (c.encryption) {
            ASSERT_TRUE(WriteIni("ConnServ", "Encryption", c.encryption, ini()));
        }
        CostSheet sheet;
        QString message;
        EXPECT_EQ(fill(sheet, "SELECT login_facts", &message), c.status) << message.toStdString();
        EXPECT_EQ(message.contains(PlainLoginRefusedMessage), c.status != 0) << message.toStdString();
        EXPECT_EQ(sheet.row(1).Content, c.status == 0 ? "secret" : "");
    }
}

TEST_F(SqlServerFill, ServerErrorsKeepTheirNumberAndText)
{
    WriteSqlServerIni(ini(), at(m_server.forced));
    DbError error;
    ASSERT_TRUE(OpenMainConn(ini(), {}, &error)) << error.description.toStdString();
    CostSheet sheet;
    EXPECT_FALSE(FillSheetFromQuery(sheet, MainConn(), "SELECT missing", &error));
    EXPECT_EQ(error.number, 208);
    EXPECT_TRUE(error.description.contains(QStringLiteral("对象名 'missing' 无效。")))
        << error.description.toStdString();

    // A wrong password fails to open; quilvar-batch says so and ends with 3.
    WriteSqlServerIni(ini(), at(m_server.login), "sa", "wrong");
    EXPECT_FALSE(OpenMainConn(ini(), {}, &error));
    EXPECT_EQ(error.number, 18456);
    QProcess batch;
    batch.start(QStringLiteral(QUILVAR_BATCH), {"--ini", ini(), "--query", "SELECT login_facts", "--json"});
    ASSERT_TRUE(batch.waitForFinished(30000));
    EXPECT_EQ(batch.exitCode(), 3);
    EXPECT_TRUE(QString::fromUtf8(batch.readAllStandardError()).contains(QStringLiteral("用户 'sa' 登录失败。")));
}

TEST_F(SqlServerFill, NamedInstanceThroughTheBrowserService)
{
    for (const char *source : {"127.0.0.1\\SQLEXPRESS", "(local)\\sqlexpress", "localhost\\SQLEXPRESS"}) {
        SCOPED_TRACE(source);
        WriteSqlServerIni(ini(), source);
        CostSheet sheet;
        QString message;
        EXPECT_EQ(fill(sheet, "SELECT login_facts", &message), 0) << message.toStdString();
        EXPECT_EQ(sheet.row(1).Category, "sa");
    }
    // No browser service at all: said at once, instead of waiting out the timeout.
    int closedPort = 0;
    {
        SilentListener gone(SilentListener::Udp);
        closedPort = gone.port();
    }
    setSqlBrowserPort(quint16(closedPort));
    WriteSqlServerIni(ini(), "127.0.0.1\\SQLEXPRESS");
    QElapsedTimer timer;
    timer.start();
    DbError error;
    EXPECT_FALSE(OpenMainConn(ini(), {}, &error));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(error.description.contains(QStringLiteral("没有运行 SQL Server Browser 服务")))
        << error.description.toStdString();
}

} // namespace
