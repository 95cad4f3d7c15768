#include "db/OdbcDriver.h"

#include "db/OdbcDiagnostics.h"

#include <QStringList>

namespace {

// The library the driver manager registered for the driver name: "Driver=" among the attributes
// that SQLDrivers lists (odbcinst.ini, or the one ODBCSYSINI points at).
QString registeredLibrary(const QString &name)
{
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return QString();
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    QString library;
    SQLWCHAR description[512];
    SQLWCHAR attributes[4096];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (
        SQL_SUCCEEDED(SQLDriversW(env, direction, description, SQLSMALLINT(std::size(description)), &descriptionLength,
                                  attributes, SQLSMALLINT(std::size(attributes)), &attributesLength))) {
        direction = SQL_FETCH_NEXT;
        const qsizetype nameLength =
            qBound(qsizetype(0), qsizetype(descriptionLength), qsizetype(std::size(description)) - 1);
        if (fromSqlWChar(description, nameLength).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // "key=value" pairs, each ended by a NUL, the list by a second one.
        const qsizetype used = qBound(qsizetype(0), qsizetype(attributesLength), qsizetype(std::size(attributes)) - 1);
        for (const QString &pair : fromSqlWChar(attributes, used).split(QChar(u'\0'), Qt::SkipEmptyParts)) {
            if (pair.startsWith(QStringLiteral("Driver="), Qt::CaseInsensitive))
                library = pair.mid(7).trimmed();
        }
        break;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return library;
}

} // namespace

OdbcDriver FindOdbcDriver(const QString &setting)
{
    OdbcDriver driver;
    driver.name = setting.isEmpty() ? QStringLiteral("FreeTDS") : setting;
    const QString library = registeredLibrary(driver.name);
    driver.kind = library.isEmpty() ? OdbcDriverKind::Other : OdbcDriverKindOfLibrary(library);
    return driver;
}
