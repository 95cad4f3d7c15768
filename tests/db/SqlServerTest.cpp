#include "TestServer.h"

#include "common/IniFile.h"
#include "db/Database.h"
#include "db/OdbcRecordset.h"
#include "db/SqlServerNetwork.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFill.h"
#include "tests/sheet/TestRows.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString cells(const CostLine &row)
{
    return QStringList({row.Category, row.Content, row.Expression, row.AmountText}).join(u'|');
}

// The SQL Server path a planner uses: the settings file, FreeTDS through unixODBC, a TDS server.
class SqlServerFill : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_server.available())
            GTEST_SKIP() << "no test SQL Server: run through ctest, which starts one";
        setSqlBrowserPort(quint16(m_server.browser));
    }
    void TearDown() override { setSqlBrowserPort(1434); }
    QString ini() const { return m_dir.filePath("default.ini"); }
    static QString at(int port) { return QStringLiteral("127.0.0.1,%1").arg(port); }

    TdsServer m_server = TdsServer::fromEnvironment();
    QTemporaryDir m_dir;
};

TEST_F(SqlServerFill, FillsTheSheetAsTexts)
{
    // Query, exit status, row 1 (empty: left unchanged), total.
    const std::tuple<const char *, int, const char *, const char *> cases[] = {
        {"SELECT fill_row", 0, "住宿|北京饭店 标准间|380×2×3|120.5", "120.5"},
        {"SELECT bit_row", 0, "x|y|True|False", "0"},
        {"SELECT null_row", 0, "交通||1|2", "2"},
        // Fewer than four columns: nothing to read without rows; the totals are still recomputed.
        {"SELECT narrow_none", 0, "", "0"},
        {"SELECT narrow_one", 3, "", ""},
        // The first result that has columns, after row counts; none at all is a failure.
        {"UPDATE tours SET x = 1; insert into t values (1);SELECT fill_row", 0, "住宿|北京饭店 标准间|380×2×3|120.5",
         "120.5"},
        {"INSERT INTO t VALUES (1)", 3, "", ""},
    };
    WriteSqlServerIni(ini(), at(m_server.login));
    // FreeTDS would write every log-in, password included, into the file TDSDUMP names.
    const QString dump = m_dir.filePath("freetds.log");
    qputenv("TDSDUMP", dump.toLocal8Bit());
    for (const auto &[query, status, row1, total] : cases) {
        SCOPED_TRACE(query);
        CostSheet sheet;
        QString message;
        EXPECT_EQ(FillSheetHeadless(sheet, ini(), query, &message), status) << message.toStdString();
        EXPECT_EQ(message.contains("3704"), QByteArray(query).startsWith("INSERT")) << message.toStdString();
        EXPECT_EQ(cells(sheet.row(1)), QString::fromUtf8(*row1 ? row1 : "|||"));
        EXPECT_EQ(sheet.row(1).Included, *row1 != 0);
        EXPECT_EQ(sheet.rowCount(), 20);
        EXPECT_EQ(sheet.Text1(), QString::fromUtf8(total));
    }
    EXPECT_FALSE(QFile::exists(dump));
}

// Every value reaches the server as typed (login_facts gives back user, password, database and
// the session's language, which stays the login's own). A value with ";" needs braces, which
// FreeTDS 1.3 ends at the first "};": such a value is refused with the reason.
TEST_F(SqlServerFill, EveryCredentialArrivesExactly)
{

    for (const char *form : {"a;b}c", "}", "x}", "{x", "{a;b}", "a}}b", "a=b", "with blank", "x;user id=mallory",
                             "abc;Integrated Security=SSPI", ";", "};x"}) {
        const QString value = QString::fromUtf8(form);
        SCOPED_TRACE(form);
        for (int field = 0; field < 3; ++field) {
            const QStringList sent = {field == 0 ? value : "planner", field == 1 ? value : "pw",
                                      field == 2 ? value : "tours", ""};
            WriteSqlServerIni(ini(), at(m_server.login), sent[0], sent[1], sent[2]);
            CostSheet sheet;
            QString message;
            const bool unpassable = value.contains(QStringLiteral("};"));
            EXPECT_EQ(FillSheetHeadless(sheet, ini(), "SELECT login_facts", &message), unpassable ? 3 : 0)
                << message.toStdString();
            EXPECT_TRUE(unpassable ? message.contains(QStringLiteral("“};”")) : cells(sheet.row(1)) == sent.join(u'|'))
                << message.toStdString() << cells(sheet.row(1)).toStdString();
        }
    }
}

// Whatever name FreeTDS is registered under (the tests' odbcinst.ini has it also as "SQL Server"
// and "MSSQL"): the log-in crosses encrypted or not at all, and Chinese arrives whole.
TEST_F(SqlServerFill, TheLogInIsNeverSentInTheClear)
{
    // Port, the "Encryption" key (nullptr: none), exit status.
    const std::tuple<int TdsServer::*, const char *, int> cases[] = {
        {&TdsServer::plain, nullptr, 3},  {&TdsServer::plain, "require", 3}, {&TdsServer::plain, "Optional", 0},
        {&TdsServer::forced, nullptr, 0}, {&TdsServer::login, nullptr, 0},
    };
    for (const char *driver : {"", "SQL Server", "MSSQL"}) {
        for (const auto &[port, encryption, status] : cases) {
            SCOPED_TRACE(std::string(driver) + (encryption ? encryption : "-"));
            QFile::remove(ini());
            WriteSqlServerIni(ini(), at(m_server.*port), QStringLiteral("张三"), QStringLiteral("密码"));
            ASSERT_TRUE(!*driver || WriteIni("ConnServ", "ODBC Driver", driver, ini()));
            ASSERT_TRUE(!encryption || WriteIni("ConnServ", "Encryption", encryption, ini()));
            m_server.takeLogins();
            CostSheet sheet;
            QString message;
            EXPECT_EQ(FillSheetHeadless(sheet, ini(), "SELECT login_facts", &message), status) << message.toStdString();
            EXPECT_EQ(message.contains(PlainLoginRefusedMessage), status != 0) << message.toStdString();
            EXPECT_EQ(cells(sheet.row(1)), status == 0 ? QStringLiteral("张三|密码|tours|") : QStringLiteral("|||"));
            // MainConn and the fill's own connection; other tests log in meanwhile.
            int logIns = 0;
            int encrypted = 0;
            for (const QByteArray &line : m_server.takeLogins().split('\n')) {
                logIns += line.contains("\"user\": \"张三\",");
                encrypted += line.contains("\"user\": \"张三\",") && line.contains("\"encrypted\": true");
            }
            EXPECT_EQ(logIns, status == 0 ? 2 : 0);
            EXPECT_EQ(encrypted, status == 0 && !encryption ? 2 : 0);
        }
    }
}

// Windows' own "SQL Server" driver cannot be told to encrypt: it is never handed a password,
// whatever a server (one that offers encryption, one that refuses it, a port where none listens)
// would answer a question asked beforehand. Only the settings' "Encryption=optional" or Windows
// authentication reach the driver (here a registration whose library does not exist).
TEST_F(SqlServerFill, WindowsOwnDriverIsNeverHandedAPassword)
{
    const QString nobody = QStringLiteral("127.0.0.1,1");
    const std::tuple<QString, const char *, bool, bool> cases[] = {
        {at(m_server.login), nullptr, false, true},
        {at(m_server.plain), nullptr, false, true},
        {nobody, nullptr, false, true},
        {at(m_server.login), "optional", false, false},
        {at(m_server.login), nullptr, true, false},
    };
    for (const auto &[server, encryption, system, refused] : cases) {
        SCOPED_TRACE(server.toStdString() + (encryption ? encryption : "-") + (system ? " system" : ""));
        QFile::remove(ini());
        WriteSqlServerIni(ini(), server);
        ASSERT_TRUE(WriteIni("ConnServ", "ODBC Driver", "Windows SQL Server", ini()));
        ASSERT_TRUE(!encryption || WriteIni("ConnServ", "Encryption", encryption, ini()));
        ASSERT_TRUE(!system || WriteIni("ConnUserType", "SQLUser", "SYSTEM", ini()));
        DbError error;
        EXPECT_FALSE(OpenMainConn(ini(), {}, &error));
        // Refused by the setting that named the driver, which is what the planner changes.
        EXPECT_EQ(error.description.contains(QStringLiteral("“ODBC Driver=Windows SQL Server”指定了")), refused)
            << error.description.toStdString();
    }
}

TEST_F(SqlServerFill, ServerErrorsAndStallsKeepTheirNumberAndText)
{
    WriteSqlServerIni(ini(), at(m_server.forced));
    DbError error;
    ASSERT_TRUE(OpenMainConn(ini(), {}, &error)) << error.description.toStdString();
    CostSheet sheet;
    EXPECT_FALSE(FillSheetFromQuery(sheet, MainConn(), "SELECT missing", &error));
    EXPECT_EQ(error.number, 208);
    EXPECT_TRUE(error.description.contains(QStringLiteral("对象名 'missing' 无效。")))
        << error.description.toStdString();

    // A server that stalls in the middle of a result is given up within the query's time, though
    // FreeTDS waits as long again for its cancel to be answered.
    OdbcRecordset stalled(MainConn());
    stalled.setQueryTimeout(4);
    QElapsedTimer timer;
    timer.start();
    QString text;
    EXPECT_FALSE(stalled.open("SELECT stall", &error) && stalled.value(0, &text, &error));
    EXPECT_LT(timer.elapsed(), 4000 + BusyMachineMarginMs);

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
        EXPECT_EQ(FillSheetHeadless(sheet, ini(), "SELECT login_facts", &message), 0) << message.toStdString();
        EXPECT_EQ(sheet.row(1).Category, "sa");
    }
    // No browser service at all: said at once, instead of waiting out the timeout.
    setSqlBrowserPort(quint16(m_server.plain)); // a port where no datagram is taken
    WriteSqlServerIni(ini(), "127.0.0.1\\SQLEXPRESS");
    QElapsedTimer timer;
    timer.start();
    DbError error;
    EXPECT_FALSE(OpenMainConn(ini(), {}, &error));
    EXPECT_LT(timer.elapsed(), 5000 + BusyMachineMarginMs); // not the ten seconds of the log-in
    EXPECT_EQ(int(error.kind), int(DbError::Kind::InstanceNotFound));
    EXPECT_TRUE(error.description.contains(QStringLiteral("没有运行 SQL Server Browser 服务")))
        << error.description.toStdString();

    // A service that answers every question with what is not a browser reply: asked a few times a
    // second, not flooded.
    setSqlBrowserPort(quint16(m_server.browser));
    EXPECT_EQ(ResolveInstancePort("127.0.0.1", "NOISE", QDeadlineTimer(2000), nullptr), 0);
    QFile noise(m_server.dir + "/noise");
    EXPECT_TRUE(noise.open(QIODevice::ReadOnly));
    EXPECT_LE(noise.size(), 10);
}

// Nothing answers: MainConn gives up after its 10 seconds from the call, also where a named
// instance must first be asked of the browser service (FreeTDS alone would ask it sixteen times,
// a second each), and so does the fill's own log-in. Only an upper bound is asserted, with a
// margin for a loaded machine.
TEST_F(SqlServerFill, MainConnGivesUpWithinItsTenSeconds)
{
    for (const char *silent : {"SQL Server", "browser", "PostgreSQL", "the fill's own log-in"}) {
        SCOPED_TRACE(silent);
        QFile::remove(ini()); // no "ODBC Driver" left from the case before
        setSqlBrowserPort(quint16(m_server.silentUdp));
        const QString port = QString::number(m_server.silentTcp);
        if (*silent == 'P')
            WritePgIni(ini(), {"127.0.0.1", port, {}, {}, {}}, "u", "p", "d");
        else if (*silent == 't') // the server answers MainConn's log-in, and never the fill's
            WriteSqlServerIni(ini(), at(m_server.login), "once", "pw");
        else
            WriteSqlServerIni(ini(), *silent == 'b' ? "127.0.0.1\\SQLEXPRESS" : "127.0.0.1," + port);
        QElapsedTimer timer;
        timer.start();
        CostSheet sheet;
        QString message;
        EXPECT_EQ(FillSheetHeadless(sheet, ini(), "SELECT login_facts", &message), 3);
        EXPECT_LT(timer.elapsed(), 10000 + BusyMachineMarginMs);
        EXPECT_FALSE(message.isEmpty());
    }
}

} // namespace
