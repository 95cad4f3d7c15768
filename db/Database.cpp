#include "db/Database.h"

#include "db/ConnectionSettings.h"
#include "db/OdbcConnectionString.h"

#include <QFileInfo>

QString &ConnStr()
{
    static QString text;
    return text;
}

OdbcConnection &MainConn()
{
    static OdbcConnection connection;
    return connection;
}

QString OdbcConnectionStringFor(const QString &connText, const QString &iniPath)
{
    return OdbcConnectionString(connText, OdbcDriverSetting(iniPath), QFileInfo(iniPath).absolutePath());
}

bool OpenMainConn(const QString &iniPath, const std::function<void()> &onMissingFile, DbError *error)
{
    ConnStr() = BuildConnStr(iniPath, onMissingFile);
    MainConn().close();
    MainConn().setLoginTimeout(MainConnLoginTimeout);
    return MainConn().open(OdbcConnectionStringFor(ConnStr(), iniPath), error);
}

bool ReopenMainConn(const QString &connText, const QString &iniPath, DbError *error)
{
    return MainConn().open(OdbcConnectionStringFor(connText, iniPath), error);
}
