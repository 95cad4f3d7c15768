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
// Writes a default.ini for SQL Server (FreeTDS) at 127.0.0.1,port.
void WriteSqlServerIni(const QString &iniPath, int port);

// A loopback listener that accepts connections and never answers.
class SilentListener
{
public:
    SilentListener();
    ~SilentListener();
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};
