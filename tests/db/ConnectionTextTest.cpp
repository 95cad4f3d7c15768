#include "db/ConnectionSettings.h"
#include "db/IniFile.h"
#include "db/OdbcConnectionString.h"
#include "db/TextScramble.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TranslationCase
{
    const char *connText;
    const char *driver;
    const char *odbc;
    OdbcOptions options = {};
};

#define FREETDS_TAIL ";ClientCharset=UTF-8;TDS_Version=7.4;Language=;Encryption=require"
#define MSSQL_TAIL ";Encrypt=yes;TrustServerCertificate=yes"

const TranslationCase Translations[] = {
    // SQL Server through FreeTDS: the log-in encrypted or refused, the login's own language.
    {"Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=db1;Data Source=srv", "",
     "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;UID=sa;PWD=pw" FREETDS_TAIL},
    {"Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=db1;Data Source=srv",
     "",
     "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;UID=sa;PWD=pw;ClientCharset=UTF-8;TDS_Version=7.4;Language=;"
     "Encryption=request",
     {0, false}},
    {"Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=db1;Data Source=srv", "",
     "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;Trusted_Connection=yes" FREETDS_TAIL},
    {"Provider=SQLOLEDB.1;Password=;User ID=;Initial Catalog=;Data Source=tcp:10.0.0.5,1433", "",
     "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=;UID=;PWD=" FREETDS_TAIL},
    {"Provider=SQLOLEDB.1;Password=p;User ID=u;Initial Catalog=d;Data Source=.", "",
     "DRIVER={FreeTDS};SERVER=127.0.0.1;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL},
    {"Provider=SQLOLEDB.1;Password=p;User ID=u;Initial Catalog=d;Data Source=(LOCAL)\\SQLEXPRESS", "",
     "DRIVER={FreeTDS};SERVER=127.0.0.1\\SQLEXPRESS;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL},
    // A named instance whose port the browser service gave: FreeTDS goes straight there.
    {"Provider=SQLOLEDB.1;Password=p;User ID=u;Initial Catalog=d;Data Source=db.example\\INST",
     "",
     "DRIVER={FreeTDS};SERVER=db.example;PORT=49172;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL,
     {49172, true}},
    // FreeTDS 1.3 reads a braced value up to "};" and keeps "}}" as two: braces only where a ";"
    // or a leading "{" needs them, the value unchanged inside.
    {"Provider=SQLOLEDB.1;Password=a;b}c;User ID=x;y;Initial Catalog={d};Data Source=srv ", "",
     "DRIVER={FreeTDS};SERVER=srv;DATABASE={{d}};UID={x;y};PWD={a;b}c}" FREETDS_TAIL},
    {"Provider=SQLOLEDB.1;Password=ends;;User ID=a}}b;Initial Catalog=d;Data Source=s", "FreeTDS",
     "DRIVER={FreeTDS};SERVER=s;DATABASE=d;UID=a}}b;PWD={ends;}" FREETDS_TAIL},
    // Microsoft's driver reads "}}", host,port and "." or "(local)" (shared memory) itself.
    {"Provider=SQLOLEDB.1;Password=a;b}c;User ID=u;Initial Catalog=d;Data Source=srv,1500",
     "ODBC Driver 17 for SQL Server",
     "DRIVER={ODBC Driver 17 for SQL Server};SERVER=srv,1500;DATABASE=d;UID=u;PWD={a;b}}c}" MSSQL_TAIL},
    {"Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=d;Data Source=(local)\\SQLEXPRESS", "SQL Server",
     "DRIVER={SQL Server};SERVER=(local)\\SQLEXPRESS;DATABASE=d;Trusted_Connection=yes" MSSQL_TAIL},
    {"Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=d;Data Source=.", "SQL Server",
     "DRIVER={SQL Server};SERVER=.;DATABASE=d;Trusted_Connection=yes" MSSQL_TAIL},
    // PostgreSQL.
    {"Provider=SQLOLEDB.1;Password=secret;User ID=quilvar;Initial Catalog=tours;Data Source=127.0.0.1,5433",
     "PostgreSQL Unicode",
     "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5433;DATABASE=tours;UID=quilvar;PWD=secret;CommLog=0;Debug=0"},
    {"Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=tours;Data Source=pg", "PostgreSQL Unicode",
     "DRIVER={PostgreSQL Unicode};SERVER=pg;DATABASE=tours;CommLog=0;Debug=0"},
    // SQLite: the data source is the database file, relative to the settings file's folder.
    {"Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=x;Data Source=tour.sqlite", "SQLite3",
     "DRIVER={SQLite3};DATABASE=/opt/quilvar/tour.sqlite;NoCreat=1"},
    {"Provider=SQLOLEDB.1;Password=;User ID=;Initial Catalog=;Data Source=/data/my tours.db", "SQLite3",
     "DRIVER={SQLite3};DATABASE=/data/my tours.db;NoCreat=1"},
};

TEST(ConnectionText, TranslatesToOdbc)
{
    for (const TranslationCase &c : Translations) {
        EXPECT_EQ(OdbcConnectionString(QString::fromUtf8(c.connText), QString::fromUtf8(c.driver),
                                       QStringLiteral("/opt/quilvar"), c.options)
                      .toStdString(),
                  c.odbc)
            << c.connText;
    }
}

TEST(ConnectionText, WhereFreeTdsConnectsAndWhatItCannotPass)
{
    const QString text = "Provider=SQLOLEDB.1;Password=a};b;User ID=u;Initial Catalog=d;Data Source=";
    const auto address = FreeTdsServerAddress(text + "(local)\\SQLEXPRESS", "");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->host, "127.0.0.1");
    EXPECT_EQ(address->instance, "SQLEXPRESS");
    EXPECT_EQ(FreeTdsServerAddress(text + "srv,1500", "FreeTDS")->port, 1500);
    EXPECT_FALSE(FreeTdsServerAddress(text + "srv", "SQL Server"));
    EXPECT_FALSE(UnpassableValueError(text + "srv", "").isEmpty());
    EXPECT_TRUE(UnpassableValueError(text + "srv", "ODBC Driver 18 for SQL Server").isEmpty());
}

TEST(BuildConnStr, FromTheSettingsFile)
{
    const struct
    {
        const char *dataSource, *catalog, *accountType; // nullptr: no settings file
        const char *connStr;
    } cases[] = {
        {"srv", "db1", " SYSTEM ", "Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=db1;Data Source=srv"},
        // The file reader drops blanks at either end, so a stored blank can only be in the middle.
        {"srv;x", "my db", "system",
         "Provider=SQLOLEDB.1;Password=123456;User ID=sa;Initial Catalog=my db;Data Source=srv;x"},
        {nullptr, nullptr, nullptr, "Provider=SQLOLEDB.1;Password=;User ID=;Initial Catalog=;Data Source="},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString ini = dir.filePath("default.ini");
        if (c.dataSource) {
            ASSERT_TRUE(WriteIniValues({{"ConnServ", "DATA SOURCE", c.dataSource},
                                        {"ConnServ", "initial catalog", c.catalog},
                                        {"ConnUserType", "SQLUser", c.accountType},
                                        {"ConnUser", "UserName", EncodeText("sa")},
                                        {"ConnUser", "PassWd", EncodeText("123456")}},
                                       ini, true));
        }
        int missing = 0;
        EXPECT_EQ(BuildConnStr(ini, [&] { ++missing; }), c.connStr);
        EXPECT_EQ(missing, c.dataSource ? 0 : 1) << "a missing file is told once, before the empty values";
    }
}

TEST(ComposeConnStr, TheWindowsTextTrimsEveryBox)
{
    ConnectionSettings s;
    s.dataSource = "  srv  ";
    s.initialCatalog = " db ";
    s.userName = " sa ";
    s.password = " p w ";
    EXPECT_EQ(ComposeConnStr(s), "Provider=SQLOLEDB.1;Password=p w;User ID=sa;Initial Catalog=db;Data Source=srv");
    s.account = ConnectionSettings::Account::System;
    s.dataSource.clear();
    EXPECT_EQ(ComposeConnStr(s), "Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=db;Data Source=");
}

} // namespace
