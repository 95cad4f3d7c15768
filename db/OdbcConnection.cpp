#include "db/OdbcConnection.h"

#include "db/OdbcDiagnostics.h"

#include <QStringList>

void ReadOdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const QString &fallback, DbError *error)
{
    if (!error)
        return;
    QStringList messages;
    long number = 0;
    bool haveNumber = false;
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message,
                                            SQLSMALLINT(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (!haveNumber) {
            number = native;
            haveNumber = true;
        }
        const qsizetype used = qBound(qsizetype(0), qsizetype(length), qsizetype(std::size(message)) - 1);
        messages.append(QStringLiteral("[%1] %2").arg(fromSqlWChar(state, 5), fromSqlWChar(message, used)));
    }
    error->kind = DbError::Kind::Driver;
    error->number = number;
    error->description = messages.isEmpty() ? fallback : messages.join(QStringLiteral("\n"));
}

struct OdbcConnection::Handles
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
};

OdbcConnection::OdbcConnection() : m_handles(std::make_unique<Handles>()) {}

OdbcConnection::~OdbcConnection()
{
    close();
}

void *OdbcConnection::handle() const
{
    return m_handles->dbc;
}

bool OdbcConnection::open(const QString &odbcConnectionString, DbError *error)
{
    close();
    m_connectionString = odbcConnectionString;
    // FreeTDS writes every connection's log-in, password and TLS secrets included, into the file
    // that TDSDUMP names; no such file is made with our passwords.
    qunsetenv("TDSDUMP");
    qunsetenv("TDSDUMPCONFIG");
    Handles &h = *m_handles;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env))) {
        h.env = SQL_NULL_HENV;
        if (error)
            *error = DbError::of(DbError::Kind::NoDriverManager,
                                 QStringLiteral("无法初始化 ODBC 环境（ODBC 驱动程序管理器不可用）。"));
        return false;
    }
    SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc))) {
        ReadOdbcDiagnostics(SQL_HANDLE_ENV, h.env, QStringLiteral("无法创建 ODBC 连接。"), error);
        h.dbc = SQL_NULL_HDBC;
        close();
        return false;
    }
    if (m_loginTimeout > 0) {
        SQLSetConnectAttrW(h.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_loginTimeout)), 0);
    }
    SQLWCHAR completed[2048];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(h.dbc, nullptr, toSqlWChar(odbcConnectionString), SQL_NTS, completed,
                                           SQLSMALLINT(std::size(completed)), &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        ReadOdbcDiagnostics(SQL_HANDLE_DBC, h.dbc, QStringLiteral("无法连接到数据库。"), error);
        close();
        return false;
    }
    m_open = true;
    SQLWCHAR library[512] = {};
    SQLSMALLINT libraryLength = 0;
    m_driverKind =
        SQL_SUCCEEDED(SQLGetInfoW(h.dbc, SQL_DRIVER_NAME, library, SQLSMALLINT(sizeof library), &libraryLength))
            ? OdbcDriverKindOfLibrary(QString::fromUtf16(reinterpret_cast<const char16_t *>(library)))
            : OdbcDriverKind::Other;
    return true;
}

void OdbcConnection::close()
{
    Handles &h = *m_handles;
    if (m_open)
        SQLDisconnect(h.dbc);
    m_open = false;
    m_driverKind = OdbcDriverKind::Other;
    if (h.dbc != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, h.dbc);
    if (h.env != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, h.env);
    h.dbc = SQL_NULL_HDBC;
    h.env = SQL_NULL_HENV;
}
