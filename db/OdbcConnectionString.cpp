#include "db/OdbcConnectionString.h"

#include <QDir>
#include <QStringList>
#include <QUrl>

namespace {

struct Server
{
    QString host;
    QString port;
};

Server splitDataSource(const QString &dataSource, OdbcDriverKind kind)
{
    QString source = dataSource.trimmed();
    if (source.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        source = source.mid(4).trimmed();
    Server server;
    // Microsoft's drivers read "host,port" themselves, and "." or "(local)" as this machine through
    // shared memory: they get the data source as written.
    if (kind == OdbcDriverKind::Microsoft || kind == OdbcDriverKind::MicrosoftLegacy) {
        server.host = source;
        return server;
    }
    const qsizetype comma = source.indexOf(u',');
    if (comma >= 0) {
        server.port = source.mid(comma + 1).trimmed();
        source = source.left(comma).trimmed();
    }
    // "." and "(local)" name this machine, with or without an instance after them.
    const qsizetype slash = source.indexOf(u'\\');
    const QString machine = slash >= 0 ? source.left(slash) : source;
    const QString instance = slash >= 0 ? source.mid(slash) : QString();
    if (machine == QStringLiteral(".") || machine.compare(QStringLiteral("(local)"), Qt::CaseInsensitive) == 0)
        source = QStringLiteral("127.0.0.1") + instance;
    server.host = source;
    return server;
}

// FreeTDS 1.3 reads a value in braces up to the first "};" and knows no doubled "}": a value
// goes in braces only where it must (a ";", a "{" in front, blanks at either end), unchanged.
QString quoteFreeTdsValue(const QString &value)
{
    const bool needsBraces =
        value.contains(u';') || value.startsWith(u'{') || value.startsWith(u' ') || value.endsWith(u' ');
    return needsBraces ? u'{' + value + u'}' : value;
}

// The SQLite driver reads no braces: a value runs to the next ";". A file whose path holds one
// goes as a URI, in which SQLite undoes the percent escapes.
QString sqliteDatabase(QString file, const QString &baseDirectory, const OdbcDriver &driver)
{
    if (!file.isEmpty() && file != QStringLiteral(":memory:") && QDir::isRelativePath(file) && !baseDirectory.isEmpty())
        file = QDir(baseDirectory).filePath(file);
    if (!file.isEmpty() && file != QStringLiteral(":memory:"))
        file = OdbcDriverFilePath(file, driver);
    if (!file.contains(u';') && !file.startsWith(u' ') && !file.endsWith(u' '))
        return file;
    return QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded(QUrl::FullyEncoded).replace(";", "%3B"));
}

} // namespace

QString QuoteOdbcValue(const QString &value)
{
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                             value.startsWith(u' ') || value.endsWith(u' ');
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

SqlServerAddress FreeTdsServerAddress(const QString &dataSource)
{
    const Server server = splitDataSource(dataSource, OdbcDriverKind::FreeTds);
    SqlServerAddress address;
    const qsizetype slash = server.host.indexOf(u'\\');
    address.host = slash >= 0 ? server.host.left(slash) : server.host;
    address.instance = slash >= 0 ? server.host.mid(slash + 1) : QString();
    address.port = server.port.toInt();
    return address;
}

QString UnpassableValueError(const ConnectionSettings &settings, OdbcDriverKind kind)
{
    if (kind != OdbcDriverKind::FreeTds)
        return QString();
    const bool system = settings.account == ConnectionSettings::Account::System;
    for (const QString *value :
         {&settings.password, &settings.userName, &settings.initialCatalog, &settings.dataSource}) {
        if (system && (value == &settings.password || value == &settings.userName))
            continue;
        if (value->contains(QStringLiteral("};")))
            return QStringLiteral("用户名、密码、数据库名称或数据源中含有“};”，FreeTDS 驱动程序无法原样传送，"
                                  "请更换不含这两个相连字符的值。");
    }
    return QString();
}

namespace {

// KEY=value, the value quoted as the driver reads it.
void appendValue(QStringList &parts, OdbcDriverKind kind, const char *key, const QString &value)
{
    parts.append(QLatin1String(key) + u'=' +
                 (kind == OdbcDriverKind::FreeTds ? quoteFreeTdsValue(value) : QuoteOdbcValue(value)));
}

// The server, its port, the database and the account.
void appendServerAndLogin(QStringList &parts, const ConnectionSettings &settings, OdbcDriverKind kind,
                          const OdbcOptions &options)
{
    const auto add = [&](const char *key, const QString &value) { appendValue(parts, kind, key, value); };
    Server server = splitDataSource(settings.dataSource, kind);
    if (kind == OdbcDriverKind::FreeTds && options.instancePort > 0) {
        // The instance was found through the browser service: FreeTDS goes straight to its port.
        const qsizetype slash = server.host.indexOf(u'\\');
        if (slash >= 0)
            server.host.truncate(slash);
        server.port = QString::number(options.instancePort);
    }
    add("SERVER", server.host);
    if (!server.port.isEmpty())
        add("PORT", server.port);
    add("DATABASE", settings.initialCatalog);

    const bool sqlServer =
        kind == OdbcDriverKind::FreeTds || kind == OdbcDriverKind::Microsoft || kind == OdbcDriverKind::MicrosoftLegacy;
    if (settings.account == ConnectionSettings::Account::System) {
        if (sqlServer || kind == OdbcDriverKind::Other)
            parts.append(QStringLiteral("Trusted_Connection=yes"));
    } else {
        add("UID", settings.userName);
        add("PWD", settings.password);
    }
}

// What each kind of driver needs to be told beyond the server and the account.
void appendDriverOptions(QStringList &parts, OdbcDriverKind kind, const OdbcOptions &options)
{
    if (kind == OdbcDriverKind::FreeTds) {
        // Without it FreeTDS hands Chinese text over as "??".
        parts.append(QStringLiteral("ClientCharset=UTF-8"));
        // Every SQL Server answers a 7.4 login with its own version. FreeTDS's "auto" falls back to
        // Sybase's protocol after a timeout and then waits without any limit.
        parts.append(QStringLiteral("TDS_Version=7.4"));
        // An empty language leaves the session in the login's default language, as SQL Server's
        // own clients do; FreeTDS would otherwise ask for us_english.
        parts.append(QStringLiteral("Language="));
    }
    // FreeTDS: "request" only encrypts when the server offers it; "require" refuses one that does
    // not. Microsoft's drivers (18, 17, 13, Native Client 11): "Encrypt=yes" likewise, the
    // certificate taken as it is unless the settings ask for it to be checked (a SQL Server without
    // an installed certificate makes a self-signed one of its own). A driver of unknown kind might
    // be either and gets both. Windows' own "SQL Server" driver cannot be told to take the
    // server's own certificate: it is never handed a password it might send in the clear
    // (Database.cpp) and gets no encryption setting. "Encrypt=no" turns Driver 18's own default
    // (encrypted, certificate checked) off where the settings relax it.
    if (kind == OdbcDriverKind::FreeTds || kind == OdbcDriverKind::Other)
        parts.append(options.requireEncryption ? QStringLiteral("Encryption=require")
                                               : QStringLiteral("Encryption=request"));
    if (kind == OdbcDriverKind::Microsoft || (kind == OdbcDriverKind::Other && options.requireEncryption)) {
        parts.append(options.requireEncryption ? QStringLiteral("Encrypt=yes") : QStringLiteral("Encrypt=no"));
        parts.append(options.verifyCertificate ? QStringLiteral("TrustServerCertificate=no")
                                               : QStringLiteral("TrustServerCertificate=yes"));
    }
    if (kind == OdbcDriverKind::PostgreSql) {
        // Debian's driver registration turns on a protocol log in /tmp for every connection.
        parts.append(QStringLiteral("CommLog=0;Debug=0"));
    }
}

} // namespace

QString OdbcConnectionString(const ConnectionSettings &settings, const OdbcDriver &driver, const QString &baseDirectory,
                             const OdbcOptions &options)
{
    const OdbcDriverKind kind = driver.kind;
    QString braced = driver.name;
    braced.replace(QStringLiteral("}"), QStringLiteral("}}"));
    QStringList parts;
    parts.append(QStringLiteral("DRIVER={") + braced + u'}');
    if (kind == OdbcDriverKind::Sqlite) {
        parts.append(QStringLiteral("DATABASE=") +
                     sqliteDatabase(settings.dataSource.trimmed(), baseDirectory, driver));
        // A missing database file is an error, not a new empty database.
        parts.append(QStringLiteral("NoCreat=1"));
        return parts.join(u';');
    }
    appendServerAndLogin(parts, settings, kind, options);
    appendDriverOptions(parts, kind, options);
    return parts.join(u';');
}
