#include "db/Database.h"

#include "db/OdbcConnectionString.h"
#include "db/OdbcDriver.h"
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

QString LegacyDriverRefusedMessage(const QString &setting)
{
    const QString refused = QStringLiteral("它不能保证登录密码加密传送，程序拒绝用它登录。\r\n");
    const QString optional = QStringLiteral("或者只在可信的网络中，在 default.ini 的 [ConnServ] 节中加入一行"
                                            "“Encryption=optional”，允许不加密登录。");
    if (setting.isEmpty())
        return QStringLiteral("本机只有 Windows 自带的“SQL Server”驱动程序，") + refused +
               QStringLiteral("请安装微软的“ODBC Driver 18 for SQL Server”（免费）；") + optional;
    return QStringLiteral("default.ini 的 [ConnServ] 节中的“ODBC Driver=%1”指定了 Windows 自带的“SQL Server”驱动程序，")
               .arg(setting) +
           refused +
           QStringLiteral(
               "请删去这一行，由程序选用本机最新的 SQL Server 驱动程序（没有时请安装微软的“ODBC Driver 18 for "
               "SQL Server”，免费）；") +
           optional;
}

bool OpenWithSettings(OdbcConnection &connection, const ConnectionSettings &settings, const QString &iniPath,
                      int timeoutSeconds, DbError *error)
{
    const QDeadlineTimer deadline{std::chrono::seconds{timeoutSeconds}};
    const auto fail = [error](DbError::Kind kind, const QString &text) {
        if (error)
            *error = DbError::of(kind, text);
        return false;
    };
    connection.close();
    const QString driverSetting = OdbcDriverSetting(iniPath);
    const OdbcDriver driver = FindOdbcDriver(driverSetting);
    const QString unpassable = UnpassableValueError(settings, driver.kind);
    if (!unpassable.isEmpty())
        return fail(DbError::Kind::UnpassableValue, unpassable);
    OdbcOptions options;
    options.requireEncryption = EncryptionRequired(iniPath);
    options.verifyCertificate = CertificateVerified(iniPath);
    const bool freeTds = driver.kind == OdbcDriverKind::FreeTds;
    const bool sqlServer = freeTds || driver.kind == OdbcDriverKind::Microsoft;
    // Windows' own "SQL Server" driver cannot be told to encrypt with the certificate SQL Server
    // makes for itself, and no question asked beforehand on a connection of our own can vouch for
    // the driver's: it is never handed a password unless the settings allow an unencrypted log-in.
    // Windows authentication sends no password.
    if (driver.kind == OdbcDriverKind::MicrosoftLegacy && options.requireEncryption &&
        settings.account != ConnectionSettings::Account::System)
        return fail(DbError::Kind::PlainLoginRefused, LegacyDriverRefusedMessage(driverSetting));
    const SqlServerAddress address = FreeTdsServerAddress(settings.dataSource);
    int port = address.port;
    if (freeTds && !address.instance.isEmpty() && port == 0) {
        QString reason;
        port = ResolveInstancePort(address.host, address.instance, deadline, &reason);
        if (port == 0)
            return fail(DbError::Kind::InstanceNotFound, reason);
        options.instancePort = port;
    }
    // Whole seconds for the driver, rounded up so that it never gives up before the deadline.
    const qint64 left = deadline.remainingTime();
    connection.setLoginTimeout(int(qMax<qint64>(1, (left + 999) / 1000)));
    const QString odbc = OdbcConnectionString(settings, driver, QFileInfo(iniPath).absolutePath(), options);
    if (connection.open(odbc, error))
        return true;
    // The drivers say no more than "connection failed" when a server cannot encrypt; ask it
    // ourselves, in what is left of the time, only to say why.
    if (sqlServer && options.requireEncryption && (port > 0 || address.instance.isEmpty()) && !deadline.hasExpired() &&
        ServerOffersNoEncryption(address.host, port > 0 ? port : DefaultSqlServerPort, deadline))
        return fail(DbError::Kind::PlainLoginRefused, PlainLoginRefusedMessage);
    return false;
}

bool OpenMainConn(const QString &iniPath, const std::function<void()> &onMissingFile, DbError *error)
{
    ConnStr() = BuildConnStr(iniPath, onMissingFile);
    return OpenWithSettings(MainConn(), ReadConnectionSettings(iniPath), iniPath, MainConnLoginTimeout, error);
}

bool ReopenMainConn(const ConnectionSettings &settings, const QString &iniPath, DbError *error)
{
    return OpenWithSettings(MainConn(), settings, iniPath, MainConnLoginTimeout, error);
}
