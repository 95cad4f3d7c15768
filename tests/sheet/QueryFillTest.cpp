#include "sheet/QueryFill.h"
#include "db/Database.h"
#include "db/OdbcRecordset.h"
#include "sheet/CostSheet.h"
#include "tests/db/TestServer.h"
#include "tests/sheet/TestRows.h"

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
        if (!m_server.available())
            GTEST_SKIP() << "no PostgreSQL server: run through ctest, which starts one";
    }
    bool fill(CostSheet &sheet, const QString &query, DbError *error)
    {
        return FillSheetOnOwnConnection(sheet, m_server.odbc(), query, error);
    }
    static QString limited(int rows)
    {
        return QStringLiteral("SELECT category, content, expression, amount FROM "
                              "cost_line ORDER BY line_no LIMIT %1")
            .arg(rows);
    }

    PgServer m_server = PgServer::fromEnvironment();
};

TEST_F(PgFill, FillsTicksAndAppendsPastTwenty)
{
    for (int rows : {0, 3, 20, 23}) {
        SCOPED_TRACE(rows);
        CostSheet sheet;
        DbError error;
        // The first result that has columns, after a row count.
        ASSERT_TRUE(fill(sheet, "UPDATE cost_line SET line_no = line_no WHERE false; " + limited(rows), &error))
            << error.description.toStdString();
        EXPECT_EQ(sheet.rowCount(), qMax(rows, 20));
        for (int k = 1; k <= sheet.rowCount(); ++k) {
            EXPECT_EQ(sheet.row(k).Included, k <= rows) << k;
            EXPECT_EQ(sheet.row(k).Number, QString::number(k));
            EXPECT_EQ(sheet.row(k).Category.isEmpty(), k > rows);
        }
        // The totals were recomputed, also for an empty result.
        EXPECT_FALSE(sheet.Text1().isEmpty());
        if (rows == 3) {
            EXPECT_EQ(sheet.Text1(), "2581.5");
            EXPECT_EQ(sheet.row(1).Category + '|' + sheet.row(1).Content + '|' + sheet.row(1).Expression,
                      QStringLiteral("餐|第1项 北京饭店|单价: 101.00 × 1间 × 6天"));
            EXPECT_EQ(sheet.row(1).AmountText + ' ' + sheet.row(2).AmountText + ' ' + sheet.row(3).AmountText,
                      "606.5 120.5 1854.5");
        }
    }
}

TEST_F(PgFill, NumbersDatesAndNullsInTheirShortestForm)
{
    CostSheet sheet;
    DbError error;
    ASSERT_TRUE(fill(sheet,
                     "SELECT amount, price, rate, ratio, travel_day FROM cost_line WHERE line_no = 2 UNION ALL SELECT "
                     "NULL, NULL, NULL, NULL, NULL",
                     &error))
        << error.description.toStdString();
    const CostLine &row = sheet.row(1);
    EXPECT_EQ(row.Category + ' ' + row.Content + ' ' + row.Expression + ' ' + row.AmountText, "120.5 1234.56 2.1 0.25");
    // A null is the empty text, and its row is ticked as any other.
    const CostLine &nulls = sheet.row(2);
    EXPECT_EQ(nulls.Category + nulls.Content + nulls.Expression + nulls.AmountText, "");
    EXPECT_TRUE(nulls.Included);

    // The further columns through the database class itself.
    OdbcConnection connection;
    ASSERT_TRUE(connection.open(m_server.odbc(), &error));
    OdbcRecordset records(connection);
    ASSERT_TRUE(
        records.open("SELECT travel_day, NULL, 1234.5600::numeric(12,4), "
                     "-0.50::numeric, 0.10::numeric, 42, timestamp '2024-05-01 12:30:00.5', timestamp '2024-05-02', "
                     "1e20::float8, 123456789.123456789::float8, time '07:05:09', 0.25::real, "
                     "12345678901234567890123456.7890000000::numeric(38,10) FROM cost_line WHERE line_no = 2",
                     &error));
    // The last has more digits than a double holds.
    const char *expected[] = {"2024-05-03",
                              "",
                              "1234.56",
                              "-0.5",
                              "0.1",
                              "42",
                              "2024-05-01 12:30:00.5",
                              "2024-05-02",
                              "1E+20",
                              "123456789.123457",
                              "07:05:09",
                              "0.25",
                              "12345678901234567890123456.789"};
    for (int c = 0; c < int(std::size(expected)); ++c) {
        QString text;
        bool isNull = false;
        ASSERT_TRUE(records.value(c, &text, &error, &isNull));
        EXPECT_EQ(text, QString::fromUtf8(expected[c])) << c;
        EXPECT_EQ(isNull, c == 1) << c;
    }
}

// A text comes over whole, U+FEFF included: at its start, and at the start of a piece past the
// reader's buffer (4,095 characters).
TEST_F(PgFill, TextsKeepALeadingByteOrderMark)
{
    CostSheet sheet;
    DbError error;
    ASSERT_TRUE(fill(sheet, "SELECT chr(65279) || '房', repeat('x', 4095) || chr(65279) || 'y', '', '1'", &error))
        << error.description.toStdString();
    EXPECT_EQ(sheet.row(1).Category, QStringLiteral("\uFEFF房"));
    EXPECT_EQ(sheet.row(1).Content, QString(4095, u'x') + QStringLiteral("\uFEFFy"));
}

// A text that repeats the row before is shared with it; each of these must still read as itself: one
// of the same length that differs, a null after a text, a text after a null.
TEST_F(PgFill, EachRowReadsItsOwnTexts)
{
    CostSheet sheet;
    DbError error;
    ASSERT_TRUE(fill(sheet,
                     "SELECT c::varchar(8), d::varchar(8), e::varchar(8), f::varchar(8) FROM (VALUES "
                     "(1, '房', 'ab', 'x', '1'), (2, '房', 'ac', 'x', '1'), (3, '餐', NULL, 'x', '1'), "
                     "(4, NULL, 'ac', 'x', '1')) AS t(n, c, d, e, f) ORDER BY n",
                     &error))
        << error.description.toStdString();
    const char16_t *expected[] = {u"房|ab|x|1", u"房|ac|x|1", u"餐||x|1", u"|ac|x|1"};
    for (int k = 1; k <= 4; ++k) {
        const CostLine &row = sheet.row(k);
        EXPECT_EQ(row.Category + '|' + row.Content + '|' + row.Expression + '|' + row.AmountText,
                  QString::fromUtf16(expected[k - 1]))
            << k;
    }
}

// Each failure gives a number and a description; the rows filled before it stay, and the totals are not recomputed.
TEST_F(PgFill, FailuresGiveANumberAndADescription)
{
    // Query, error number (0: whatever the driver says), part of the description, rows filled.
    const std::tuple<const char *, long, const char *, int> cases[] = {
        {"SELECT category, content, expression, amount FROM no_such_table", 0, "no_such_table", 0},
        {"SELEKT 1", 0, "SELEKT", 0},
        {"SELECT category, content, expression FROM cost_line", DbErrorNumber::ItemNotFound, "3", 0},
        {"", DbErrorNumber::InvalidArgument, "", 0},
        {"UPDATE cost_line SET line_no = line_no WHERE false", DbErrorNumber::ObjectClosed, "记录集", 0},
        {"SELECT 'x', 'y', 'z', '1' FROM generate_series(1, 32767)", DbErrorNumber::Overflow, "32766",
         CostSheet::MaxRows},
    };
    for (const auto &[query, number, inDescription, filled] : cases) {
        SCOPED_TRACE(query);
        CostSheet sheet;
        DbError error;
        EXPECT_FALSE(fill(sheet, query, &error));
        EXPECT_EQ(error.number, number ? number : error.number);
        EXPECT_TRUE(error.description.contains(QString::fromUtf8(inDescription))) << error.description.toStdString();
        EXPECT_FALSE(error.description.isEmpty());
        EXPECT_EQ(sheet.rowCount(), qMax(20, filled));
        EXPECT_EQ(sheet.row(qMax(1, filled)).Included, filled > 0);
        EXPECT_TRUE(sheet.Text1().isEmpty()); // RefreshTotals was not called
        EXPECT_FALSE(FillErrorText(error).isEmpty());
    }
    CostSheet full;
    DbError error;
    ASSERT_TRUE(fill(full, "SELECT 'x', 'y', 'z', '1' FROM generate_series(1, 32766)", &error));
    EXPECT_EQ(full.Text1(), "32766");
}

// The fill as quilvar-batch runs it, from the settings file: 0, or 3 with the message.
TEST_F(PgFill, HeadlessFillFromTheSettingsFile)
{
    // Password and database (nullptr: no settings file), rows asked, exit status, message.
    const std::tuple<const char *, const char *, int, int, QString> cases[] = {
        {nullptr, nullptr, 3, 3, MissingIniMessage},
        {"wrong", "", 3, 3, ConnectErrorMessage},
        {"", "no_such_db", 3, 3, ConnectErrorMessage},
        {"", "", 23, 0, ""},
        {"", "", 0, 3, "3265"}, // one column only
    };
    for (const auto &[password, database, rows, status, expected] : cases) {
        SCOPED_TRACE(status);
        QTemporaryDir dir;
        const QString ini = dir.filePath("default.ini");
        if (password)
            WritePgIni(ini, m_server, m_server.user, *password ? password : m_server.password,
                       *database ? database : m_server.database);
        CostSheet sheet;
        QString message;
        EXPECT_EQ(FillSheetHeadless(sheet, ini, rows ? limited(rows) : "SELECT 1", &message), status);
        EXPECT_TRUE(status ? message.contains(expected) : message.isEmpty()) << message.toStdString();
        EXPECT_EQ(MainConn().isOpen(), status == 0 || rows == 0);
        EXPECT_EQ(sheet.rowCount(), status ? 20 : rows);
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
    const char *query =
        "SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'BJ6D' ORDER BY line_no";
    ASSERT_EQ(FillSheetHeadless(sheet, ini, query, &message), 0) << message.toStdString();
    EXPECT_EQ(sheet.rowCount(), 20);
    const CostLine &first = sheet.row(1);
    EXPECT_EQ(first.Category + '|' + first.Content + '|' + first.Expression + '|' + first.AmountText,
              QStringLiteral("房|北京饭店 标准间（含早）|单价: 580.00 × 15间 × 5晚|43500"));
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
    // A text far longer than the size the driver gives an expression comes over whole.
    EXPECT_EQ(FillSheetHeadless(copy, ini, "SELECT 1, hex(zeroblob(3000)), NULL, 4", &message), 0)
        << message.toStdString();
    EXPECT_EQ(copy.row(1).Content, QString(6000, u'0'));
    EXPECT_EQ(copy.row(1).Expression, QString());
    EXPECT_EQ(FillSheetHeadless(copy, ini, "DELETE FROM tour_cost WHERE 0", &message), 3);
    EXPECT_TRUE(message.contains("3704")) << message.toStdString();
}

} // namespace
