#pragma once

#include <QString>

// What an installed ODBC driver is, which decides the form of its connection text and how the
// log-in is protected. It is told from the driver itself (the library the driver manager loads
// for it), never from the name it was registered under: FreeTDS is often registered as
// "SQL Server", and a Microsoft driver may carry any name.
enum class OdbcDriverKind
{
    FreeTds,
    Microsoft,
    PostgreSql,
    Sqlite,
    Other // any other driver, or one that is not installed
};

struct OdbcDriver
{
    QString name; // as registered with the driver manager
    OdbcDriverKind kind = OdbcDriverKind::Other;
};

// The driver that the settings file's "ODBC Driver" value names; the empty value names this
// platform's SQL Server driver. One implementation per platform.
OdbcDriver FindOdbcDriver(const QString &setting);

// The kind of the driver whose library file is named so (a path or a bare file name).
OdbcDriverKind OdbcDriverKindOfLibrary(const QString &library);
