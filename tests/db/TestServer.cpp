#include "TestServer.h"

#include "common/IniFile.h"
#include "db/TextScramble.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

#ifdef QUILVAR_ODBCSYSINI
// Before main, so before the driver manager reads (and keeps) its driver registrations.
const bool OwnDriverRegistrations = qputenv("ODBCSYSINI", QUILVAR_ODBCSYSINI);
#endif

// The KEY=VALUE lines a fixture wrote into the file of that name beside QUILVAR_PG_ENV.
QHash<QByteArray, QString> readFacts(const QString &name)
{
    QHash<QByteArray, QString> facts;
    QFile file(QFileInfo(qEnvironmentVariable("QUILVAR_PG_ENV")).dir().filePath(name));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (const int eq = line.indexOf('='); eq > 0)
                facts.insert(line.left(eq), QString::fromUtf8(line.mid(eq + 1)).trimmed());
        }
    }
    return facts;
}

void writeLogIn(const QString &iniPath, const QString &dataSource, const QString &database, bool system,
                const QString &user, const QString &password, const QString &driver = QString())
{
    QList<IniEntry> entries = {{"ConnServ", "DATA SOURCE", dataSource},
                               {"ConnServ", "initial catalog", database},
                               {"ConnUserType", "SQLUser", system ? "SYSTEM" : "SQL User"},
                               {"ConnUser", "UserName", EncodeText(user)},
                               {"ConnUser", "PassWd", EncodeText(password)}};
    if (!driver.isEmpty())
        entries.append({"ConnServ", "ODBC Driver", driver});
    WriteIniValues(entries, iniPath, true);
}

} // namespace

PgServer PgServer::fromEnvironment()
{
    const auto facts = readFacts("pg-server.env");
    return {facts.value("PGHOST"), facts.value("PGPORT"), facts.value("PGUSER"), facts.value("PGPASSWORD"),
            facts.value("PGDATABASE")};
}

QString PgServer::odbc() const
{
    return QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5;CommLog=0;Debug=0")
        .arg(host, port, database, user, password);
}

TdsServer TdsServer::fromEnvironment()
{
    const auto facts = readFacts("tds-server.env");
    const auto port = [&](const char *name) { return facts.value(name).toInt(); };
    return {port("plain"),      port("login"),      port("forced"),    port("browser"),
            port("silent_tcp"), port("silent_udp"), facts.value("DIR")};
}

QByteArray TdsServer::takeLogins() const
{
    QFile file(dir + "/logins");
    if (!file.open(QIODevice::ReadWrite))
        return QByteArray();
    const QByteArray lines = file.readAll();
    file.resize(0);
    return lines;
}

void WritePgIni(const QString &iniPath, const PgServer &server, const QString &user, const QString &password,
                const QString &database)
{
    writeLogIn(iniPath, server.host + u',' + server.port, database, false, user, password, "PostgreSQL Unicode");
}

void WriteSqlServerIni(const QString &iniPath, const QString &dataSource, const QString &user, const QString &password,
                       const QString &database)
{
    writeLogIn(iniPath, dataSource, database, false, user, password);
}

void WriteSqliteIni(const QString &iniPath, const QString &databaseFile)
{
    writeLogIn(iniPath, databaseFile, "tour", true, QString(), QString(), "SQLite3");
}
