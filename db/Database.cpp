#include "db/Database.h"

#include "db/ConnectionSettings.h"
#include "db/OdbcConnectionString.h"
#include "db/SqlServerNetwork.h"

#include <QDeadlineTimer>
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

bool OpenWithConnText(OdbcConnection &connection, const QString &connText, const QString &iniPath, int timeoutSeconds,
                      DbError *error)
{
    const QDeadlineTimer deadline{std::chrono::seconds{timeoutSeconds}};
    const QString driver = OdbcDriverSetting(iniPath);
    connection.close();
    const QString unpassable = UnpassableValueError(connText, driver);
    if (!unpassable.isEmpty()) {
        if (error)
            *error = {0, unpassable};
        return false;
    }
    OdbcOptions options;
    options.requireEncryption = EncryptionRequired(iniPath);
    const std::optional<SqlServerAddress> address = FreeTdsServerAddress(connText, driver);
    int port = address ? address->port : 0;
    if (address && !address->instance.isEmpty() && port == 0) {
        QString reason;
        port = ResolveInstancePort(address->host, address->instance, deadline, &reason);
        if (port == 0) {
            if (error)
                *error = {0, reason};
            return false;
        }
        options.instancePort = port;
    }
    // Whole seconds for the driver, rounded up so that it never gives up before the deadline.
    const qint64 left = deadline.remainingTime();
    connection.setLoginTimeout(int(qMax<qint64>(1, (left + 999) / 1000)));
    const QString odbc = OdbcConnectionString(connText, driver, QFileInfo(iniPath).absolutePath(), options);
    if (connection.open(odbc, error))
        return true;
    // FreeTDS says no more than "connection failed" when a server cannot encrypt; ask it ourselves,
    // in what is left of the time.
    if (address && options.requireEncryption && !deadline.hasExpired() &&
        ServerOffersNoEncryption(address->host, port > 0 ? port : DefaultSqlServerPort, deadline)) {
        if (error)
            *error = {0, PlainLoginRefusedMessage};
    }
    return false;
}

bool OpenMainConn(const QString &iniPath, const std::function<void()> &onMissingFile, DbError *error)
{
    ConnStr() = BuildConnStr(iniPath, onMissingFile);
    return OpenWithConnText(MainConn(), ConnStr(), iniPath, MainConnLoginTimeout, error);
}

bool ReopenMainConn(const QString &connText, const QString &iniPath, DbError *error)
{
    return OpenWithConnText(MainConn(), connText, iniPath, MainConnLoginTimeout, error);
}
