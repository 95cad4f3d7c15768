#pragma once

#include <QList>
#include <QString>

// What an installed ODBC driver is, which decides the form of its connection text and how the
// log-in is protected. It is told from the driver itself (the library the driver manager loads
// for it), never from the name it was registered under: FreeTDS is often registered as
// "SQL Server", and a Microsoft driver may carry any name.
enum class OdbcDriverKind
{
    FreeTds,
    Microsoft,       // "ODBC Driver 17/18 for SQL Server" and the Native Client
    MicrosoftLegacy, // the "SQL Server" driver every Windows has (sqlsrv32)
    PostgreSql,
    Sqlite,
    Other // any other driver, or one that is not installed
};

struct OdbcDriver
{
    QString name; // as registered with the driver manager
    OdbcDriverKind kind = OdbcDriverKind::Other;
    QString library; // the file the driver manager loads for it; may be empty
};

// The driver that the settings file's "ODBC Driver" value names; the empty value names this
// platform's SQL Server driver. One implementation per platform.
OdbcDriver FindOdbcDriver(const QString &setting);

// A driver the driver manager lists, with the library its attributes name ("Driver="; empty
// where the driver manager gives none, as Windows' does).
struct InstalledOdbcDriver
{
    QString name;
    QString library;
};
QList<InstalledOdbcDriver> InstalledOdbcDrivers();

// A local file's path as the driver opens it: this platform's own form, except for a Linux driver
// that Wine's ODBC loaded for a Windows program, which opens the file's Unix path.
QString OdbcDriverFilePath(const QString &path, const OdbcDriver &driver);

// The kind of the driver whose library file is named so (a path or a bare file name).
OdbcDriverKind OdbcDriverKindOfLibrary(const QString &library);
