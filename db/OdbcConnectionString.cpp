#include "db/OdbcConnectionString.h"

#include <QDir>
#include <QList>
#include <QMap>
#include <QStringList>

namespace {

enum class DriverKind
{
    FreeTds,
    Microsoft,
    PostgreSql,
    Sqlite,
    Other
};

// The entries the connection text may hold. A ";" starts a new entry only when one of these
// names follows it, so that a password or a name holding ";" stays whole.
const QStringList &knownKeys()
{
    static const QStringList keys = {
        QStringLiteral("provider"),
        QStringLiteral("password"),
        QStringLiteral("user id"),
        QStringLiteral("integrated security"),
        QStringLiteral("initial catalog"),
        QStringLiteral("data source"),
        QStringLiteral("persist security info"),
    };
    return keys;
}

// The known key that the text starts with, followed by "="; empty when none.
QString keyAt(const QString &text, qsizetype from, qsizetype *valueStart)
{
    qsizetype i = from;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    for (const QString &key : knownKeys()) {
        if (text.mid(i, key.size()).compare(key, Qt::CaseInsensitive) != 0)
            continue;
        qsizetype j = i + key.size();
        while (j < text.size() && text.at(j) == u' ')
            ++j;
        if (j < text.size() && text.at(j) == u'=') {
            *valueStart = j + 1;
            return key;
        }
    }
    return QString();
}

QMap<QString, QString> parseConnText(const QString &text)
{
    QMap<QString, QString> entries;
    qsizetype valueStart = 0;
    QString key = keyAt(text, 0, &valueStart);
    qsizetype searchFrom = key.isEmpty() ? 0 : valueStart;
    while (!key.isEmpty()) {
        qsizetype nextValueStart = 0;
        QString nextKey;
        qsizetype sep = text.indexOf(u';', searchFrom);
        while (sep >= 0) {
            nextKey = keyAt(text, sep + 1, &nextValueStart);
            // The system-account form has ";;" before "Initial Catalog": an empty entry.
            if (!nextKey.isEmpty())
                break;
            if (sep + 1 < text.size() && text.at(sep + 1) == u';') {
                const QString candidate = keyAt(text, sep + 2, &nextValueStart);
                if (!candidate.isEmpty() && key == QStringLiteral("integrated security")) {
                    nextKey = candidate;
                    break;
                }
            }
            sep = text.indexOf(u';', sep + 1);
        }
        const qsizetype valueEnd = sep >= 0 ? sep : text.size();
        entries.insert(key, text.mid(valueStart, valueEnd - valueStart));
        key = nextKey;
        valueStart = nextValueStart;
        searchFrom = nextValueStart;
    }
    return entries;
}

DriverKind driverKind(const QString &driverName)
{
    if (driverName.isEmpty()) {
#ifdef Q_OS_WIN
        return DriverKind::Microsoft;
#else
        return DriverKind::FreeTds;
#endif
    }
    if (driverName.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive))
        return DriverKind::FreeTds;
    if (driverName.contains(QStringLiteral("SQL Server"), Qt::CaseInsensitive))
        return DriverKind::Microsoft;
    if (driverName.contains(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive))
        return DriverKind::PostgreSql;
    if (driverName.contains(QStringLiteral("SQLite"), Qt::CaseInsensitive))
        return DriverKind::Sqlite;
    return DriverKind::Other;
}

QString defaultDriverName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("SQL Server");
#else
    return QStringLiteral("FreeTDS");
#endif
}

struct Server
{
    QString host;
    QString port;
};

Server splitDataSource(const QString &dataSource, DriverKind kind)
{
    QString source = dataSource.trimmed();
    if (source.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        source = source.mid(4).trimmed();
    Server server;
    // Microsoft's driver reads "host,port" itself, and "." or "(local)" as this machine through
    // shared memory: it gets the data source as written.
    if (kind == DriverKind::Microsoft) {
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

bool isTrue(const QString &value)
{
    const QString v = value.trimmed();
    return v.compare(QStringLiteral("SSPI"), Qt::CaseInsensitive) == 0 ||
           v.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
           v.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0;
}

// FreeTDS 1.3 reads a value in braces up to the first "};" and knows no doubled "}": a value
// goes in braces only where it must (a ";", a "{" in front, blanks at either end), unchanged.
QString quoteFreeTdsValue(const QString &value)
{
    const bool needsBraces =
        value.contains(u';') || value.startsWith(u'{') || value.startsWith(u' ') || value.endsWith(u' ');
    return needsBraces ? u'{' + value + u'}' : value;
}

void add(QStringList *parts, const QString &key, const QString &value, DriverKind kind = DriverKind::Other)
{
    parts->append(key + u'=' + (kind == DriverKind::FreeTds ? quoteFreeTdsValue(value) : QuoteOdbcValue(value)));
}

const QString EntryKeys[] = {QStringLiteral("password"), QStringLiteral("user id"), QStringLiteral("initial catalog"),
                             QStringLiteral("data source")};

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

std::optional<SqlServerAddress> FreeTdsServerAddress(const QString &connText, const QString &driverName)
{
    if (driverKind(driverName) != DriverKind::FreeTds)
        return std::nullopt;
    const Server server =
        splitDataSource(parseConnText(connText).value(QStringLiteral("data source")), DriverKind::FreeTds);
    SqlServerAddress address;
    const qsizetype slash = server.host.indexOf(u'\\');
    address.host = slash >= 0 ? server.host.left(slash) : server.host;
    address.instance = slash >= 0 ? server.host.mid(slash + 1) : QString();
    address.port = server.port.toInt();
    return address;
}

QString UnpassableValueError(const QString &connText, const QString &driverName)
{
    if (driverKind(driverName) != DriverKind::FreeTds)
        return QString();
    const QMap<QString, QString> entries = parseConnText(connText);
    for (const QString &key : EntryKeys) {
        if (entries.value(key).contains(QStringLiteral("};")))
            return QStringLiteral("用户名、密码、数据库名称或数据源中含有“};”，FreeTDS 驱动程序无法原样传送，"
                                  "请更换不含这两个相连字符的值。");
    }
    return QString();
}

QString OdbcConnectionString(const QString &connText, const QString &driverName, const QString &baseDirectory,
                             const OdbcOptions &options)
{
    const QMap<QString, QString> entries = parseConnText(connText);
    const DriverKind kind = driverKind(driverName);
    const QString driver = driverName.isEmpty() ? defaultDriverName() : driverName;
    QString braced = driver;
    braced.replace(QStringLiteral("}"), QStringLiteral("}}"));

    QStringList parts;
    parts.append(QStringLiteral("DRIVER={") + braced + u'}');
    const QString dataSource = entries.value(QStringLiteral("data source"));

    if (kind == DriverKind::Sqlite) {
        QString file = dataSource.trimmed();
        if (!file.isEmpty() && file != QStringLiteral(":memory:") && QDir::isRelativePath(file) &&
            !baseDirectory.isEmpty())
            file = QDir(baseDirectory).filePath(file);
        add(&parts, QStringLiteral("DATABASE"), QDir::toNativeSeparators(file));
        // A missing database file is an error, not a new empty database.
        parts.append(QStringLiteral("NoCreat=1"));
        return parts.join(u';');
    }

    Server server = splitDataSource(dataSource, kind);
    if (kind == DriverKind::FreeTds && options.instancePort > 0) {
        // The instance was found through the browser service: FreeTDS goes straight to its port.
        const qsizetype slash = server.host.indexOf(u'\\');
        if (slash >= 0)
            server.host.truncate(slash);
        server.port = QString::number(options.instancePort);
    }
    add(&parts, QStringLiteral("SERVER"), server.host, kind);
    if (!server.port.isEmpty())
        add(&parts, QStringLiteral("PORT"), server.port, kind);
    if (entries.contains(QStringLiteral("initial catalog")))
        add(&parts, QStringLiteral("DATABASE"), entries.value(QStringLiteral("initial catalog")), kind);

    if (isTrue(entries.value(QStringLiteral("integrated security")))) {
        if (kind == DriverKind::FreeTds || kind == DriverKind::Microsoft)
            parts.append(QStringLiteral("Trusted_Connection=yes"));
    } else {
        if (entries.contains(QStringLiteral("user id")))
            add(&parts, QStringLiteral("UID"), entries.value(QStringLiteral("user id")), kind);
        if (entries.contains(QStringLiteral("password")))
            add(&parts, QStringLiteral("PWD"), entries.value(QStringLiteral("password")), kind);
    }
    if (kind == DriverKind::FreeTds) {
        // Without it FreeTDS hands Chinese text over as "??".
        parts.append(QStringLiteral("ClientCharset=UTF-8"));
        // Every SQL Server answers a 7.4 login with its own version. FreeTDS's "auto" falls back to
        // Sybase's protocol after a timeout and then waits without any limit.
        parts.append(QStringLiteral("TDS_Version=7.4"));
        // An empty language leaves the session in the login's default language, as SQL Server's
        // own clients do; FreeTDS would otherwise ask for us_english.
        parts.append(QStringLiteral("Language="));
        // "request" only encrypts when the server offers it; "require" refuses one that does not.
        // The certificate is not checked: a SQL Server without an installed certificate makes a
        // self-signed one of its own, and the planners' clients never checked it either.
        parts.append(options.requireEncryption ? QStringLiteral("Encryption=require")
                                               : QStringLiteral("Encryption=request"));
    }
    if (kind == DriverKind::Microsoft && options.requireEncryption)
        parts.append(QStringLiteral("Encrypt=yes;TrustServerCertificate=yes"));
    if (kind == DriverKind::PostgreSql) {
        // Debian's driver registration turns on a protocol log in /tmp for every connection.
        parts.append(QStringLiteral("CommLog=0;Debug=0"));
    }
    return parts.join(u';');
}
