#pragma once

#include <QString>
#include <QtGlobal>

// A time limit is asserted as the limit plus this margin: room for a sanitizer build on a busy
// machine, yet less than the fault each such test catches (the limit doubled, or the next longer one).
constexpr qint64 BusyMachineMarginMs = 3000;

// The servers that the test run started (server_fixture.sh), read from the file named by
// QUILVAR_PG_ENV and the one beside it. Empty when the tests run without them.
struct PgServer
{
    QString host, port, user, password, database;

    bool available() const { return !port.isEmpty(); }
    static PgServer fromEnvironment();
    QString odbc() const; // the ODBC connection string for the test database
};

// tds_server.py: one port per encryption stance, and its browser service's UDP port.
struct TdsServer
{
    int plain = 0;  // offers no encryption
    int login = 0;  // encrypts the log-in, or everything when asked; holds the instance SQLEXPRESS
    int forced = 0; // encrypts everything
    int browser = 0;
    int silentTcp = 0, silentUdp = 0; // where nothing ever answers
    QString dir;                      // where the server keeps its files

    bool available() const { return login != 0; }
    static TdsServer fromEnvironment();
    // Every log-in since the last call, one JSON object a line with what it carried ("user",
    // "password", "database", "language") and whether it crossed "encrypted".
    QByteArray takeLogins() const;
};

// A default.ini with a SQL Server account for PostgreSQL ("PostgreSQL Unicode"), or SQL Server
// through FreeTDS; or naming the "SQLite3" database file with the system account.
void WritePgIni(const QString &iniPath, const PgServer &server, const QString &user, const QString &password,
                const QString &database);
void WriteSqlServerIni(const QString &iniPath, const QString &dataSource, const QString &user = "sa",
                       const QString &password = "secret", const QString &database = "tours");
void WriteSqliteIni(const QString &iniPath, const QString &databaseFile);
