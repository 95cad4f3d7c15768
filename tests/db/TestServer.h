#pragma once

#include <QString>

// The PostgreSQL server that the test run started (pg_fixture.sh), read from the file named by
// QUILVAR_PG_ENV. Empty when the tests run without it.
struct PgServer
{
    QString host;
    QString port;
    QString user;
    QString password;
    QString database;

    bool available() const { return !port.isEmpty(); }
    static PgServer fromEnvironment();
    // The ODBC connection string for the test database.
    QString odbc() const;
};

// Writes a default.ini naming the "PostgreSQL Unicode" driver with a SQL Server account.
void WritePgIni(const QString &iniPath, const PgServer &server, const QString &user, const QString &password,
                const QString &database);
// Writes a default.ini naming the "SQLite3" driver and the database file.
void WriteSqliteIni(const QString &iniPath, const QString &databaseFile);
// The SQL Server that the test run started (tds_fixture.sh), read from the file named by
// tds-server.env beside the PostgreSQL server's file: one port per encryption stance, and its browser service's UDP
// port.
struct TdsServer
{
    int plain = 0;  // offers no encryption
    int login = 0;  // encrypts the log-in, or everything when asked; holds the instance SQLEXPRESS
    int forced = 0; // encrypts everything
    int browser = 0;
    QString dir; // where the server keeps its files

    bool available() const { return login != 0; }
    static TdsServer fromEnvironment();
    // Every log-in since the last call, one JSON object a line with what it carried ("user",
    // "password", "database", "language") and whether it crossed "encrypted".
    QByteArray takeLogins() const;
};

// Writes a default.ini for SQL Server (FreeTDS) with a SQL Server account.
void WriteSqlServerIni(const QString &iniPath, const QString &dataSource, const QString &user = "sa",
                       const QString &password = "secret", const QString &database = "tours");
inline void WriteSqlServerIni(const QString &iniPath, int port)
{
    WriteSqlServerIni(iniPath, QStringLiteral("127.0.0.1,%1").arg(port));
}

// A loopback listener that accepts connections (TCP) or takes datagrams (UDP) and never answers.
class SilentListener
{
public:
    enum Kind
    {
        Tcp,
        Udp
    };
    explicit SilentListener(Kind kind = Tcp);
    ~SilentListener();
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};
