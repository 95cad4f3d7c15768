#include "db/OdbcDriver.h"

#include "db/OdbcDiagnostics.h"

#include <QFileInfo>
#include <QStringList>

OdbcDriverKind OdbcDriverKindOfLibrary(const QString &library)
{
    // A registration may point at a link ("libtdsodbc.so" → "libtdsodbc.so.0.0.0").
    const QString target = QFileInfo(library).isSymLink() ? QFileInfo(library).canonicalFilePath() : library;
    const QString file = QFileInfo(target).fileName().toLower();
    struct Known
    {
        const char *part;
        OdbcDriverKind kind;
    };
    static const Known known[] = {
        {"tdsodbc", OdbcDriverKind::FreeTds},          {"msodbcsql", OdbcDriverKind::Microsoft},
        {"sqlsrv32", OdbcDriverKind::MicrosoftLegacy}, {"sqlncli", OdbcDriverKind::Microsoft},
        {"psqlodbc", OdbcDriverKind::PostgreSql},      {"sqlite3odbc", OdbcDriverKind::Sqlite},
        {"sqliteodbc", OdbcDriverKind::Sqlite},
    };
    for (const Known &k : known) {
        if (file.contains(QLatin1String(k.part)))
            return k.kind;
    }
    return OdbcDriverKind::Other;
}

QList<InstalledOdbcDriver> InstalledOdbcDrivers()
{
    QList<InstalledOdbcDriver> drivers;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return drivers;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLWCHAR description[512];
    SQLWCHAR attributes[4096];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (
        SQL_SUCCEEDED(SQLDriversW(env, direction, description, SQLSMALLINT(std::size(description)), &descriptionLength,
                                  attributes, SQLSMALLINT(std::size(attributes)), &attributesLength))) {
        direction = SQL_FETCH_NEXT;
        InstalledOdbcDriver driver;
        const qsizetype nameLength =
            qBound(qsizetype(0), qsizetype(descriptionLength), qsizetype(std::size(description)) - 1);
        driver.name = fromSqlWChar(description, nameLength);
        // "key=value" pairs, each ended by a NUL, the list by a second one.
        const qsizetype used = qBound(qsizetype(0), qsizetype(attributesLength), qsizetype(std::size(attributes)) - 1);
        for (const QString &pair : fromSqlWChar(attributes, used).split(QChar(u'\0'), Qt::SkipEmptyParts)) {
            if (pair.startsWith(QStringLiteral("Driver="), Qt::CaseInsensitive))
                driver.library = pair.mid(7).trimmed();
        }
        drivers.append(driver);
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return drivers;
}
