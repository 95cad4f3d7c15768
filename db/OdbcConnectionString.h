#pragma once

#include <QString>

#include <optional>

// Translates the connection text "Provider=SQLOLEDB.1;…" into an ODBC connection string.
//
// driverName is the "ODBC Driver" of the settings file; empty means SQL Server through FreeTDS on
// Linux and Microsoft's "SQL Server" driver on Windows. A name with "PostgreSQL" in it takes the
// PostgreSQL form, one with "SQLite" the SQLite form, where the data source is the database file
// (a relative path counts from baseDirectory, the settings file's folder). Any other driver gets
// SERVER, PORT, DATABASE, UID and PWD.
//
// For SQL Server the log-in is sent encrypted or not at all unless options relax it, and the
// session keeps the login's own default language.
struct OdbcOptions
{
    // The port a named instance was found on; the server is then reached at host and port.
    int instancePort = 0;
    // Refuse a server that cannot encrypt, rather than send it the password almost in the clear.
    bool requireEncryption = true;
};
QString OdbcConnectionString(const QString &connText, const QString &driverName,
                             const QString &baseDirectory = QString(), const OdbcOptions &options = {});

// Where FreeTDS would connect for the connection text: the host as it will be reached, the named
// instance and the port as written (0 when none). Empty for any other driver.
struct SqlServerAddress
{
    QString host;
    QString instance;
    int port = 0;
};
std::optional<SqlServerAddress> FreeTdsServerAddress(const QString &connText, const QString &driverName);

// Empty, or why the connection text cannot reach the driver unchanged: FreeTDS 1.3 ends a braced
// value at the first "};" and has no escape for it, so such a value would arrive cut short.
QString UnpassableValueError(const QString &connText, const QString &driverName);

// A value in ODBC's braces when it needs them (";", braces, blanks at either end), "}" doubled
// as Microsoft's and most other drivers read it.
QString QuoteOdbcValue(const QString &value);
