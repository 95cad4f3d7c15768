#include "common/IniFile.h"
#include "db/ConnectionSettings.h"
#include "db/OdbcConnectionString.h"
#include "db/TextScramble.h"
#include "tests/common/TestText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const OdbcDriver FreeTds{"FreeTDS", OdbcDriverKind::FreeTds};
const OdbcDriver Msodbc{"ODBC Driver 17 for SQL Server", OdbcDriverKind::Microsoft};
const OdbcDriver Msodbc18{"ODBC Driver 18 for SQL Server", OdbcDriverKind::Microsoft};
const OdbcDriver NativeClient{"SQL Server Native Client 11.0", OdbcDriverKind::Microsoft};
const OdbcDriver Msodbc13{"ODBC Driver 13 for SQL Server", OdbcDriverKind::Microsoft};
const OdbcDriver Windows{"SQL Server", OdbcDriverKind::MicrosoftLegacy};
const OdbcDriver Pg{"PostgreSQL Unicode", OdbcDriverKind::PostgreSql};
const OdbcDriver Sqlite{"SQLite3", OdbcDriverKind::Sqlite};
const OdbcDriver Unknown{"MyDriver", OdbcDriverKind::Other};

struct TranslationCase
{
    const char *user; // nullptr: the system account
    const char *password, *catalog, *dataSource;
    const OdbcDriver &driver;
    const char *odbc;
    OdbcOptions options = {};
};

const OdbcOptions Relaxed{0, false};       // a server that cannot encrypt is taken
const OdbcOptions Browsed{49172, true};    // the port the browser service gave
const OdbcOptions Verified{0, true, true}; // the server's certificate checked

#define FREETDS_TAIL ";ClientCharset=UTF-8;TDS_Version=7.4;Language=;Encryption=require"
#define MSSQL_TAIL ";Encrypt=yes;TrustServerCertificate=yes"

const TranslationCase Translations[] = {
    // SQL Server through FreeTDS: the log-in encrypted or refused, the login's own language.
    {"sa", "pw", "db1", "srv", FreeTds, "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;UID=sa;PWD=pw" FREETDS_TAIL},
    {"sa", "pw", "db1", "srv", FreeTds,
     "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;UID=sa;PWD=pw;ClientCharset=UTF-8;TDS_Version=7.4;Language=;"
     "Encryption=request",
     Relaxed},
    {nullptr, "", "db1", "srv", FreeTds,
     "DRIVER={FreeTDS};SERVER=srv;DATABASE=db1;Trusted_Connection=yes" FREETDS_TAIL},
    {"", "", "", "tcp:10.0.0.5,1433", FreeTds,
     "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=;UID=;PWD=" FREETDS_TAIL},
    {"u", "p", "d", ".", FreeTds, "DRIVER={FreeTDS};SERVER=127.0.0.1;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL},
    {"u", "p", "d", "(LOCAL)\\SQLEXPRESS", FreeTds,
     "DRIVER={FreeTDS};SERVER=127.0.0.1\\SQLEXPRESS;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL},
    // A named instance whose port is known: FreeTDS goes straight there.
    {"u", "p", "d", "db.example\\INST", FreeTds,
     "DRIVER={FreeTDS};SERVER=db.example;PORT=49172;DATABASE=d;UID=u;PWD=p" FREETDS_TAIL, Browsed},
    // Every value as typed, whatever it holds: FreeTDS 1.3 reads a braced value up to "};" and
    // keeps "}}" as two, so braces only where a ";" or a leading "{" needs them.
    {"x;y", "a;b}c", "{d}", "srv ", FreeTds,
     "DRIVER={FreeTDS};SERVER=srv;DATABASE={{d}};UID={x;y};PWD={a;b}c}" FREETDS_TAIL},
    {"a}}b", "x;user id=mallory", "d", "s", FreeTds,
     "DRIVER={FreeTDS};SERVER=s;DATABASE=d;UID=a}}b;PWD={x;user id=mallory}" FREETDS_TAIL},
    {"u", "abc;Integrated Security=SSPI", "d", "s", FreeTds,
     "DRIVER={FreeTDS};SERVER=s;DATABASE=d;UID=u;PWD={abc;Integrated Security=SSPI}" FREETDS_TAIL},
    // Microsoft's drivers read "}}", host,port and "." or "(local)" (shared memory) themselves.
    {"u", "a;b}c", "d", "srv,1500", Msodbc,
     "DRIVER={ODBC Driver 17 for SQL Server};SERVER=srv,1500;DATABASE=d;UID=u;PWD={a;b}}c}" MSSQL_TAIL},
    {nullptr, "", "d", "(local)\\SQLEXPRESS", Msodbc18,
     "DRIVER={ODBC Driver 18 for SQL Server};SERVER=(local)\\SQLEXPRESS;DATABASE=d;Trusted_Connection=yes" MSSQL_TAIL},
    // Relaxed: Driver 18 would otherwise encrypt and check the certificate all the same.
    {"u", "p", "d", "srv", Msodbc18,
     "DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv;DATABASE=d;UID=u;PWD=p;Encrypt=no;TrustServerCertificate=yes",
     Relaxed},
    // Native Client 11 and Driver 13 are told as 17 and 18 are; the certificate checked on request.
    {"u", "p", "d", "srv", NativeClient,
     "DRIVER={SQL Server Native Client 11.0};SERVER=srv;DATABASE=d;UID=u;PWD=p" MSSQL_TAIL},
    {"u", "p", "d", ".", Msodbc13, "DRIVER={ODBC Driver 13 for SQL Server};SERVER=.;DATABASE=d;UID=u;PWD=p" MSSQL_TAIL},
    {"u", "p", "d", "srv", Msodbc18,
     "DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv;DATABASE=d;UID=u;PWD=p;Encrypt=yes;TrustServerCertificate=no",
     Verified},
    // Windows' own driver cannot be told to take the server's own certificate: no encryption keys
    // (a password never reaches it unless the settings relax the rule).
    {nullptr, "", "d", "(local)\\SQLEXPRESS", Windows,
     "DRIVER={SQL Server};SERVER=(local)\\SQLEXPRESS;DATABASE=d;Trusted_Connection=yes"},
    {"u", "p", "d", "srv", Windows, "DRIVER={SQL Server};SERVER=srv;DATABASE=d;UID=u;PWD=p", Relaxed},
    // A driver of unknown kind: the encryption settings of both.
    {"u", "p", "d", "srv,1500", Unknown,
     "DRIVER={MyDriver};SERVER=srv;PORT=1500;DATABASE=d;UID=u;PWD=p;Encryption=require" MSSQL_TAIL},
    {"quilvar", "secret", "tours", "127.0.0.1,5433", Pg,
     "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5433;DATABASE=tours;UID=quilvar;PWD=secret;CommLog=0;Debug=0"},
    {nullptr, "", "tours", "pg", Pg, "DRIVER={PostgreSQL Unicode};SERVER=pg;DATABASE=tours;CommLog=0;Debug=0"},
    // SQLite: the data source is the database file, relative to the settings file's folder; the
    // driver reads no braces, so a path with ";" goes as a URI.
    {nullptr, "", "x", "tour.sqlite", Sqlite, "DRIVER={SQLite3};DATABASE=/opt/quilvar/tour.sqlite;NoCreat=1"},
    {"", "", "", "/data/my {tours}.db", Sqlite, "DRIVER={SQLite3};DATABASE=/data/my {tours}.db;NoCreat=1"},
    {"", "", "", "/data/a;b/t.db", Sqlite, "DRIVER={SQLite3};DATABASE=file:///data/a%3Bb/t.db;NoCreat=1"},
};

TEST(ConnectionText, CarriesEveryValueAsItIs)
{
    for (const TranslationCase &c : Translations) {
        SCOPED_TRACE(testing::PrintToString(c.dataSource) + " " + testing::PrintToString(c.user));
        ConnectionSettings s;
        s.account = c.user ? ConnectionSettings::Account::SqlServer : ConnectionSettings::Account::System;
        s.userName = QString::fromUtf8(c.user ? c.user : "");
        s.password = QString::fromUtf8(c.password);
        s.initialCatalog = QString::fromUtf8(c.catalog);
        s.dataSource = QString::fromUtf8(c.dataSource);
        // A local file in this platform's own form.
        const QString expected = QString::fromUtf8(c.odbc);
        EXPECT_EQ(OdbcConnectionString(s, c.driver, "/opt/quilvar", c.options),
                  c.driver.kind == OdbcDriverKind::Sqlite && !expected.contains("file:")
                      ? QDir::toNativeSeparators(expected)
                      : expected)
            << c.odbc;
        // FreeTDS 1.3 cannot carry "};": refused with the reason, by FreeTDS only.
        s.password += "};x";
        EXPECT_EQ(UnpassableValueError(s, c.driver.kind).isEmpty(),
                  c.driver.kind != OdbcDriverKind::FreeTds || !c.user);
    }
    const SqlServerAddress address = FreeTdsServerAddress("(local)\\SQLEXPRESS");
    EXPECT_EQ(address.host + '|' + address.instance + '|' + QString::number(address.port), "127.0.0.1|SQLEXPRESS|0");
    EXPECT_EQ(FreeTdsServerAddress("srv,1500").port, 1500);
}

// The kind comes from the library the driver manager loads, never from the registered name: the
// tests' odbcinst.ini registers FreeTDS also as "SQL Server" and as "MSSQL".
TEST(ConnectionText, TheDriverIsToldByWhatItIs)
{
    const std::tuple<const char *, OdbcDriverKind> cases[] = {
        {"", OdbcDriverKind::FreeTds},
        {"SQL Server", OdbcDriverKind::FreeTds},
        {"mssql", OdbcDriverKind::FreeTds},
        {"PostgreSQL Unicode", OdbcDriverKind::PostgreSql},
        {"SQLite3", OdbcDriverKind::Sqlite},
        {"Not Installed SQLite", OdbcDriverKind::Other},
        {"ODBC Driver 17 for SQL Server", OdbcDriverKind::FreeTds}};
    for (const auto &[name, kind] : cases)
        EXPECT_EQ(int(FindOdbcDriver(name).kind), int(kind)) << name;
        // Without a setting: FreeTDS on Linux; on Windows Microsoft's newest installed driver (the
        // tests register "ODBC Driver 17 for SQL Server" and "SQL Server"), before Windows' own.
#ifdef _WIN32
    EXPECT_EQ(FindOdbcDriver(QString()).name, "ODBC Driver 17 for SQL Server");
#else
    EXPECT_EQ(FindOdbcDriver(QString()).name, "FreeTDS");
#endif
    const std::tuple<const char *, OdbcDriverKind> libraries[] = {
        {"C:\\Windows\\system32\\SQLSRV32.dll", OdbcDriverKind::MicrosoftLegacy},
        {"C:\\Windows\\system32\\msodbcsql18.dll", OdbcDriverKind::Microsoft},
        {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", OdbcDriverKind::FreeTds}};
    for (const auto &[library, kind] : libraries)
        EXPECT_EQ(int(OdbcDriverKindOfLibrary(library)), int(kind)) << library;
}

TEST(BuildConnStr, FromTheSettingsFileAndTheWindow)
{
    // A null data source: no settings file.
    const std::tuple<const char *, const char *, const char *, const char *> cases[] = {
        {"srv", "db1", " SYSTEM ", "Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=db1;Data Source=srv"},
        // The file reader drops blanks at either end, so a stored blank can only be in the middle.
        {"srv;x", "my db", "system",
         "Provider=SQLOLEDB.1;Password=123456;User ID=sa;Initial Catalog=my db;Data Source=srv;x"},
        {nullptr, nullptr, nullptr, "Provider=SQLOLEDB.1;Password=;User ID=;Initial Catalog=;Data Source="},
    };
    for (const auto &[dataSource, catalog, accountType, connStr] : cases) {
        SCOPED_TRACE(testing::PrintToString(dataSource));
        QTemporaryDir dir;
        const QString ini = dir.filePath("default.ini");
        if (dataSource) {
            ASSERT_TRUE(WriteIniValues({{"ConnServ", "DATA SOURCE", dataSource},
                                        {"ConnServ", "initial catalog", catalog},
                                        {"ConnUserType", "SQLUser", accountType},
                                        {"ConnUser", "UserName", EncodeText("sa")},
                                        {"ConnUser", "PassWd", EncodeText("123456")}},
                                       ini, true));
        }
        int missing = 0;
        EXPECT_EQ(BuildConnStr(ini, [&] { ++missing; }), connStr);
        EXPECT_EQ(missing, dataSource ? 0 : 1) << "a missing file is told once, before the empty values";
    }

    // The window's text trims every box.
    ConnectionSettings s;
    s.dataSource = "  srv  ";
    s.initialCatalog = " db ";
    s.userName = " sa ";
    s.password = " p w ";
    EXPECT_EQ(ComposeConnStr(s), "Provider=SQLOLEDB.1;Password=p w;User ID=sa;Initial Catalog=db;Data Source=srv");
    EXPECT_EQ(TrimmedSettings(s).password, "p w");
    s.account = ConnectionSettings::Account::System;
    s.dataSource.clear();
    EXPECT_EQ(ComposeConnStr(s), "Provider=SQLOLEDB.1;Integrated Security=SSPI;;Initial Catalog=db;Data Source=");
}

// The settings as the settings window stores them: these bytes on every build, so that a file
// written on Windows reads on Linux and the other way round, the scrambled log-in included.
TEST(ConnectionSettingsFile, TheSettingsWindowsFileIsTheSameOnEveryBuild)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("default.ini"));
    const QByteArray bytes = "[ConnServ]\r\nDATA SOURCE=\xB7\xFE\xCE\xF1\xC6\xF7\\SQLEXPRESS\r\n"
                             "initial catalog=\xC2\xC3\xD3\xCE\r\n[ConnUserType]\r\nSQLUser=SQL User\r\n"
                             "[ConnUser]\r\nUserName=\xC8\xFD\xD5\xC5G\r\nPassWd=6C2\xC2\xEB\xC3\xDC\r\n";
    ASSERT_TRUE(WriteIniValues({{"ConnServ", "DATA SOURCE", QStringLiteral("服务器\\SQLEXPRESS")},
                                {"ConnServ", "initial catalog", QStringLiteral("旅游")},
                                {"ConnUserType", "SQLUser", "SQL User"},
                                {"ConnUser", "UserName", EncodeText(QStringLiteral("s张三"))},
                                {"ConnUser", "PassWd", EncodeText(QStringLiteral("密码246"))}},
                               path, true));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_EQ(file.readAll().toHex(' ').toStdString(), bytes.toHex(' ').toStdString());
    // Read back from exactly these bytes, whatever the writing gave.
    ASSERT_TRUE(file.resize(0) && file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    const ConnectionSettings read = ReadConnectionSettings(path);
    EXPECT_EQ(QStringList({read.dataSource, read.initialCatalog, read.userName, read.password}).join(u'|'),
              QStringLiteral("服务器\\SQLEXPRESS|旅游|s张三|密码246"));
}

// A FIFO, which would block the program for ever, or a folder, is a missing settings file.
TEST(ConnectionSettingsFile, WhatIsNoRegularFileIsAMissingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("default.ini"));
#ifdef _WIN32
    ASSERT_TRUE(QDir().mkdir(path)); // no FIFOs here: a folder is the other thing that is not a file
#else
    ASSERT_EQ(mkfifo(path.toLocal8Bit().constData(), 0600), 0);
#endif
    int missing = 0;
    BuildConnStr(path, [&] { ++missing; });
    EXPECT_EQ(missing, 1);
}

} // namespace
