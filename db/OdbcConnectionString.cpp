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
    const qsizetype comma = source.indexOf(u',');
    if (comma >= 0 && kind != DriverKind::Microsoft) {
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

void add(QStringList *parts, const QString &key, const QString &value)
{
    parts->append(key + u'=' + QuoteOdbcValue(value));
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

QString OdbcConnectionString(const QString &connText, const QString &driverName, const QString &baseDirectory)
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

    const Server server = splitDataSource(dataSource, kind);
    add(&parts, QStringLiteral("SERVER"), server.host);
    if (!server.port.isEmpty())
        add(&parts, QStringLiteral("PORT"), server.port);
    if (entries.contains(QStringLiteral("initial catalog")))
        add(&parts, QStringLiteral("DATABASE"), entries.value(QStringLiteral("initial catalog")));

    if (isTrue(entries.value(QStringLiteral("integrated security")))) {
        if (kind == DriverKind::FreeTds || kind == DriverKind::Microsoft)
            parts.append(QStringLiteral("Trusted_Connection=yes"));
    } else {
        if (entries.contains(QStringLiteral("user id")))
            add(&parts, QStringLiteral("UID"), entries.value(QStringLiteral("user id")));
        if (entries.contains(QStringLiteral("password")))
            add(&parts, QStringLiteral("PWD"), entries.value(QStringLiteral("password")));
    }
    if (kind == DriverKind::FreeTds) {
        // Without it FreeTDS hands Chinese text over as "??".
        parts.append(QStringLiteral("ClientCharset=UTF-8"));
        // Every SQL Server answers a 7.4 login with its own version. FreeTDS's "auto" falls back to
        // Sybase's protocol after a timeout and then waits without any limit.
        parts.append(QStringLiteral("TDS_Version=7.4"));
    }
    if (kind == DriverKind::PostgreSql) {
        // Debian's driver registration turns on a protocol log in /tmp for every connection.
        parts.append(QStringLiteral("CommLog=0;Debug=0"));
    }
    return parts.join(u';');
}
