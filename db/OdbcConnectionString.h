#pragma once

#include <QString>

// Translates the connection text "Provider=SQLOLEDB.1;…" into an ODBC connection string.
//
// driverName is the "ODBC Driver" of the settings file; empty means SQL Server through FreeTDS on
// Linux and Microsoft's "SQL Server" driver on Windows. A name with "PostgreSQL" in it takes the
// PostgreSQL form, one with "SQLite" the SQLite form, where the data source is the database file
// (a relative path counts from baseDirectory, the settings file's folder). Any other driver gets
// SERVER, PORT, DATABASE, UID and PWD.
QString OdbcConnectionString(const QString &connText, const QString &driverName,
                             const QString &baseDirectory = QString());

// A value in ODBC's braces when it needs them (";", braces, blanks at either end).
QString QuoteOdbcValue(const QString &value);
