#include "TestServer.h"

#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/OdbcConnection.h"
#include "db/OdbcConnectionString.h"
#include "db/OdbcRecordset.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFill.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PgFill : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server = PgServer::fromEnvironment();
        if (!m_server.available())
            GTEST_SKIP() << "no PostgreSQL server: run through ctest, which starts one";
    }
    bool fill(const QString &query, DbError *error)
    {
        return FillSheetOnOwnConnection(m_sheet, m_server.odbc(), query, error);
    }
    static QString limited(int rows)
    {
        return QStringLiteral("SELECT category, content, expression, amount FROM cost_line ORDER BY line_no LIMIT %1")
            .arg(rows);
    }

    PgServer m_server;
    CostSheet m_sheet;
};

TEST_F(PgFill, FillsTicksAndAppendsPastTwenty)
{
    for (int rows : {0, 3, 20, 23}) {
        SCOPED_TRACE(rows);
        CostSheet sheet;
        DbError error;
        ASSERT_TRUE(FillSheetOnOwnConnection(sheet, m_server.odbc(), limited(rows), &error))
            << error.description.toStdString();
        EXPECT_EQ(sheet.rowCount(), qMax(rows, 20));
        for (int k = 1; k <= sheet.rowCount(); ++k) {
            EXPECT_EQ(sheet.row(k).Included, k <= rows) << k;
            EXPECT_EQ(sheet.row(k).Number, QString::number(k));
            EXPECT_EQ(sheet.row(k).Category.isEmpty(), k > rows);
        }
        // The totals were recomputed, also for an empty result.
        EXPECT_FALSE(sheet.Text1().isEmpty());
    }
}

TEST_F(PgFill, ValuesArriveAsTexts)
{
    DbError error;
    // The first result that has columns, after a row count.
    ASSERT_TRUE(fill("UPDATE cost_line SET line_no = line_no WHERE false; " + limited(3), &error))
        << error.description.toStdString();
    EXPECT_EQ(m_sheet.row(1).Category, QStringLiteral("餐"));
    EXPECT_EQ(m_sheet.row(1).Content, QStringLiteral("第1项 北京饭店"));
    EXPECT_EQ(m_sheet.row(1).Expression, QStringLiteral("单价: 101.00 × 1间 × 6天"));
    EXPECT_EQ(m_sheet.row(1).AmountText, "606.5");
    EXPECT_EQ(m_sheet.row(2).AmountText, "120.5");
    EXPECT_EQ(m_sheet.row(3).AmountText, "1854.5");
    EXPECT_EQ(m_sheet.Text1(), "2581.5");
}

TEST_F(PgFill, NumbersDatesAndNullsInTheirShortestForm)
{
    DbError error;
    ASSERT_TRUE(fill("SELECT amount, price, rate, ratio, travel_day FROM cost_line WHERE line_no = 2 UNION ALL "
                     "SELECT NULL, NULL, NULL, NULL, NULL",
                     &error))
        << error.description.toStdString();
    const CostLine &row = m_sheet.row(1);
    EXPECT_EQ(row.Category, "120.5");
    EXPECT_EQ(row.Content, "1234.56");
    EXPECT_EQ(row.Expression, "2.1");
    EXPECT_EQ(row.AmountText, "0.25");
    // A null is the empty text, and its row is ticked as any other.
    const CostLine &nulls = m_sheet.row(2);
    EXPECT_EQ(nulls.Category + nulls.Content + nulls.Expression + nulls.AmountText, "");
    EXPECT_TRUE(nulls.Included);

    // The further columns through the database class itself.
    OdbcConnection connection;
    ASSERT_TRUE(connection.open(m_server.odbc(), &error));
    OdbcRecordset records(connection);
    ASSERT_TRUE(records.open("SELECT travel_day, NULL, 1234.5600::numeric(12,4), -0.50::numeric, 0.10::numeric, "
                             "42, timestamp '2024-05-01 12:30:00.5', timestamp '2024-05-02', 1e20::float8, "
                             "123456789.123456789::float8 FROM cost_line WHERE line_no = 2",
                             &error));
    const char *expected[] = {"2024-05-03", "",      "1234.56",         "-0.5", "0.1", "42", "2024-05-01 12:30:00.5",
                              "2024-05-02", "1E+20", "123456789.123457"};
    for (int c = 0; c < int(std::size(expected)); ++c) {
        QString text;
        bool isNull = false;
        ASSERT_TRUE(records.value(c, &text, &error, &isNull));
        EXPECT_EQ(text, QString::fromUtf8(expected[c])) << c;
        EXPECT_EQ(isNull, c == 1) << c;
    }
}

TEST_F(PgFill, FailuresGiveANumberAndADescription)
{
    struct Case
    {
        const char *query;
        long number; // 0: whatever the driver says
        const char *inDescription;
    };
    const Case cases[] = {
        {"SELECT category, content, expression, amount FROM no_such_table", 0, "no_such_table"},
        {"SELEKT 1", 0, "SELEKT"},
        {"SELECT category, content, expression FROM cost_line", DbErrorNumber::ItemNotFound, "3"},
        {"", DbErrorNumber::InvalidArgument, ""},
        {"UPDATE cost_line SET line_no = line_no WHERE false", DbErrorNumber::ObjectClosed, "记录集"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.query);
        CostSheet sheet;
        DbError error;
        EXPECT_FALSE(FillSheetOnOwnConnection(sheet, m_server.odbc(), c.query, &error));
        if (c.number) {
            EXPECT_EQ(error.number, c.number);
        }
        EXPECT_TRUE(error.description.contains(QString::fromUtf8(c.inDescription))) << error.description.toStdString();
        EXPECT_FALSE(error.description.isEmpty());
        EXPECT_FALSE(sheet.row(1).Included);
        EXPECT_TRUE(sheet.Text1().isEmpty()); // RefreshTotals was not called
        EXPECT_FALSE(FillErrorText(error).isEmpty());
    }
}

// Also the failure halfway: the rows filled before it stay, and the totals are not recomputed.
TEST_F(PgFill, TooManyRowsStopsWithAnOverflow)
{
    DbError error;
    EXPECT_FALSE(fill("SELECT 'x', 'y', 'z', '1' FROM generate_series(1, 32767)", &error));
    EXPECT_EQ(error.number, DbErrorNumber::Overflow);
    EXPECT_EQ(m_sheet.rowCount(), CostSheet::MaxRows);
    EXPECT_TRUE(m_sheet.row(CostSheet::MaxRows).Included);
    EXPECT_TRUE(m_sheet.Text1().isEmpty());

    CostSheet full;
    ASSERT_TRUE(FillSheetOnOwnConnection(full, m_server.odbc(),
                                         "SELECT 'x', 'y', 'z', '1' FROM generate_series(1, 32766)", &error));
    EXPECT_EQ(full.Text1(), "32766");
}

// The fill as quilvar-batch runs it, from the settings file: 0, or 3 with the message.
TEST_F(PgFill, HeadlessFillFromTheSettingsFile)
{
    const struct
    {
        const char *password, *database; // nullptr: no settings file
        int rows, status;
        QString message;
    } cases[] = {
        {nullptr, nullptr, 3, 3, MissingIniMessage},
        {"wrong", "", 3, 3, ConnectErrorMessage},
        {"", "no_such_db", 3, 3, ConnectErrorMessage},
        {"", "", 23, 0, ""},
        {"", "", 0, 3, "3265"}, // one column only
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        QTemporaryDir dir;
        const QString ini = dir.filePath("default.ini");
        if (c.password)
            WritePgIni(ini, m_server, m_server.user, *c.password ? c.password : m_server.password,
                       *c.database ? c.database : m_server.database);
        CostSheet sheet;
        QString message;
        EXPECT_EQ(FillSheetHeadless(sheet, ini, c.rows ? limited(c.rows) : "SELECT 1", &message), c.status);
        EXPECT_TRUE(c.status ? message.contains(c.message) : message.isEmpty()) << message.toStdString();
        EXPECT_EQ(MainConn().isOpen(), c.status == 0 || c.rows == 0);
        EXPECT_EQ(sheet.rowCount(), c.status ? 20 : c.rows);
    }
    EXPECT_TRUE(ConnStr().startsWith("Provider=SQLOLEDB.1;Password="));
}

TEST(SqliteFill, TheBundledSampleDatabase)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("default.ini");
    WriteSqliteIni(ini, QStringLiteral(QUILVAR_SAMPLE_DB));
    CostSheet sheet;
    QString message;
    ASSERT_EQ(FillSheetHeadless(sheet, ini,
                                "SELECT category, content, expression, amount FROM tour_cost "
                                "WHERE tour_code = 'BJ6D' ORDER BY line_no",
                                &message),
              0)
        << message.toStdString();
    EXPECT_EQ(sheet.rowCount(), 20);
    EXPECT_EQ(sheet.row(1).Category, QStringLiteral("房"));
    EXPECT_EQ(sheet.row(1).Content, QStringLiteral("北京饭店 标准间（含早）"));
    EXPECT_EQ(sheet.row(1).Expression, QStringLiteral("单价: 580.00 × 15间 × 5晚"));
    EXPECT_EQ(sheet.row(1).AmountText, "43500");
    EXPECT_TRUE(sheet.row(14).Included);
    EXPECT_FALSE(sheet.row(15).Included);
    EXPECT_EQ(sheet.Text1(), "122936");

    // A database file that is not there is an error, not a new empty database.
    WriteSqliteIni(ini, dir.filePath("missing.sqlite"));
    EXPECT_EQ(FillSheetHeadless(sheet, ini, "SELECT 1, 2, 3, 4", &message), 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.sqlite")));

    // A folder whose name the connection text would otherwise cut; a statement without a result.
    ASSERT_TRUE(QDir(dir.path()).mkpath("a;b {c}"));
    ASSERT_TRUE(QFile::copy(QUILVAR_SAMPLE_DB, dir.filePath("a;b {c}/tour.sqlite")));
    WriteSqliteIni(ini, "a;b {c}/tour.sqlite");
    CostSheet copy;
    EXPECT_EQ(FillSheetHeadless(copy, ini, "SELECT 1, 2, 3, 4", &message), 0) << message.toStdString();
    EXPECT_EQ(copy.Text1(), "4");
    EXPECT_EQ(FillSheetHeadless(copy, ini, "DELETE FROM tour_cost WHERE 0", &message), 3);
    EXPECT_TRUE(message.contains("3704")) << message.toStdString();
}

} // namespace
