#include "TestServer.h"

#include "db/IniFile.h"
#include "db/TextScramble.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#ifdef _WIN32
#include <winsock2.h>
using socklen_t = int;
#define close closesocket
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// The KEY=VALUE lines a fixture script wrote; empty when the file is not there.
QHash<QByteArray, QString> readFacts(const QString &path)
{
    QHash<QByteArray, QString> facts;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            const int eq = line.indexOf('=');
            if (eq > 0)
                facts.insert(line.left(eq), QString::fromUtf8(line.mid(eq + 1)).trimmed());
        }
    }
    return facts;
}

} // namespace

PgServer PgServer::fromEnvironment()
{
    const auto facts = readFacts(qEnvironmentVariable("QUILVAR_PG_ENV"));
    return {facts.value("PGHOST"), facts.value("PGPORT"), facts.value("PGUSER"), facts.value("PGPASSWORD"),
            facts.value("PGDATABASE")};
}

QString PgServer::odbc() const
{
    return QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5;CommLog=0;Debug=0")
        .arg(host, port, database, user, password);
}

void WritePgIni(const QString &iniPath, const PgServer &server, const QString &user, const QString &password,
                const QString &database)
{
    WriteIni("ConnServ", "DATA SOURCE", server.host + u',' + server.port, iniPath);
    WriteIni("ConnServ", "initial catalog", database, iniPath);
    WriteIni("ConnServ", "ODBC Driver", "PostgreSQL Unicode", iniPath);
    WriteIni("ConnUserType", "SQLUser", "SQL User", iniPath);
    WriteIni("ConnUser", "UserName", EncodeText(user), iniPath);
    WriteIni("ConnUser", "PassWd", EncodeText(password), iniPath);
}

void WriteSqliteIni(const QString &iniPath, const QString &databaseFile)
{
    WriteIni("ConnServ", "DATA SOURCE", databaseFile, iniPath);
    WriteIni("ConnServ", "initial catalog", "tour", iniPath);
    WriteIni("ConnServ", "ODBC Driver", "SQLite3", iniPath);
    WriteIni("ConnUserType", "SQLUser", "SYSTEM", iniPath);
}

TdsServer TdsServer::fromEnvironment()
{
    const auto facts = readFacts(QFileInfo(qEnvironmentVariable("QUILVAR_PG_ENV")).dir().filePath("tds-server.env"));
    return {facts.value("plain").toInt(), facts.value("login").toInt(), facts.value("forced").toInt(),
            facts.value("browser").toInt()};
}

void WriteSqlServerIni(const QString &iniPath, const QString &dataSource, const QString &user, const QString &password,
                       const QString &database)
{
    QList<IniEntry> entries = {{"ConnServ", "DATA SOURCE", dataSource},
                               {"ConnServ", "initial catalog", database},
                               {"ConnUserType", "SQLUser", "SQL User"},
                               {"ConnUser", "UserName", EncodeText(user)},
                               {"ConnUser", "PassWd", EncodeText(password)}};
    // Under Wine the host's FreeTDS serves the Windows build: Wine's ODBC knows the host's drivers.
    const QString driver = qEnvironmentVariable("QUILVAR_TEST_SQLSERVER_DRIVER");
    if (!driver.isEmpty())
        entries.append({"ConnServ", "ODBC Driver", driver});
    WriteIniValues(entries, iniPath, true);
}

SilentListener::SilentListener(Kind kind)
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    m_socket = socket(AF_INET, kind == Tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        (kind == Tcp && listen(m_socket, 16) != 0))
        return;
    socklen_t length = sizeof address;
    getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length);
    // The kernel completes the handshake for the backlog: the client connects, and nothing answers.
    m_port = ntohs(address.sin_port);
}

SilentListener::~SilentListener()
{
    if (m_socket >= 0)
        close(m_socket);
}
