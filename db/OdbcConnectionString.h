#pragma once

#include "db/ConnectionSettings.h"
#include "db/OdbcDriver.h"

#include <QString>

#include <optional>

// The ODBC connection string for the settings' values, each value carried to the driver as it is
// (never through a text that is split again). Its form follows what the driver is: SQL Server
// through FreeTDS or a Microsoft driver, PostgreSQL, SQLite (where the data source is the database
// file; a relative path counts from baseDirectory, the settings file's folder) or any other driver,
// which gets SERVER, PORT, DATABASE, UID and PWD.
//
// For SQL Server the log-in is sent encrypted or not at all unless options relax it, and the
// session keeps the login's own default language. A driver of unknown kind gets the encryption
// settings of both SQL Server drivers, which other drivers ignore.
struct OdbcOptions
{
    // The port a named instance was found on; the server is then reached at host and port.
    int instancePort = 0;
    // Refuse a server that cannot encrypt, rather than send it the password almost in the clear.
    bool requireEncryption = true;
    // Check the server's certificate (Microsoft's drivers); otherwise any certificate is taken, as
    // SQL Server makes one of its own where none is installed.
    bool verifyCertificate = false;
};
QString OdbcConnectionString(const ConnectionSettings &settings, const OdbcDriver &driver,
                             const QString &baseDirectory = QString(), const OdbcOptions &options = {});

// Where FreeTDS would connect for the data source: the host as it will be reached, the named
// instance and the port as written (0 when none).
struct SqlServerAddress
{
    QString host;
    QString instance;
    int port = 0;
};
SqlServerAddress FreeTdsServerAddress(const QString &dataSource);

// Empty, or why a value cannot reach the driver unchanged: FreeTDS 1.3 ends a braced value at
// the first "};" and has no escape for it, so such a value would arrive cut short.
QString UnpassableValueError(const ConnectionSettings &settings, OdbcDriverKind kind);

// A value in ODBC's braces when it needs them (";", braces, blanks at either end), "}" doubled
// as Microsoft's and most other drivers read it.
QString QuoteOdbcValue(const QString &value);
