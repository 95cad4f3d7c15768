#include "db/OdbcDriver.h"

#include <QFileInfo>

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
        {"tdsodbc", OdbcDriverKind::FreeTds},     {"msodbcsql", OdbcDriverKind::Microsoft},
        {"sqlsrv32", OdbcDriverKind::Microsoft},  {"sqlncli", OdbcDriverKind::Microsoft},
        {"psqlodbc", OdbcDriverKind::PostgreSql}, {"sqlite3odbc", OdbcDriverKind::Sqlite},
        {"sqliteodbc", OdbcDriverKind::Sqlite},
    };
    for (const Known &k : known) {
        if (file.contains(QLatin1String(k.part)))
            return k.kind;
    }
    return OdbcDriverKind::Other;
}
