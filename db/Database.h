#pragma once

#include "db/ConnectionSettings.h"
#include "db/DbError.h"
#include "db/OdbcConnection.h"

#include <QString>

#include <functional>

// The program-wide connection text and connection. OpenConn sets both; they live until the
// program ends.
QString &ConnStr();
OdbcConnection &MainConn();

// Seconds an opening may take: MainConn and the fill's own connection, and the settings window's
// test.
inline constexpr int MainConnLoginTimeout = 10;
inline constexpr int TestLoginTimeout = 5;
inline constexpr int FillLoginTimeout = MainConnLoginTimeout;
// Seconds a query may run.
inline constexpr int QueryTimeout = 30;
// Where a SQL Server listens when the data source names neither a port nor an instance.
inline constexpr int DefaultSqlServerPort = 1433;

// Opens the connection for the settings' values with the driver and encryption the settings file
// names, within timeoutSeconds from the call: a named SQL Server instance is looked up through
// the browser service first and the driver given what is left of the time.
bool OpenWithSettings(OdbcConnection &connection, const ConnectionSettings &settings, const QString &iniPath,
                      int timeoutSeconds, DbError *error);

// The opening part of OpenConn without its recovery: ConnStr from the settings file (calling
// onMissingFile first when the file is missing), then MainConn, new, opened with its values.
bool OpenMainConn(const QString &iniPath, const std::function<void()> &onMissingFile, DbError *error);

// Opens MainConn again with other values, keeping its timeout (the settings window's closing).
// ConnStr is not changed.
bool ReopenMainConn(const ConnectionSettings &settings, const QString &iniPath, DbError *error);

inline const QString ConnectErrorMessage =
    QStringLiteral("数据库连接错误！请检查数据库连接设置，\r\n如果问题依然存在，请检查网络连接！");
inline const QString ConnectErrorTitle = QStringLiteral("数据库连接错误");
// Why Windows' own "SQL Server" driver is not handed a password, and the way out: `setting` is the
// settings' "ODBC Driver" value that named it, empty when it was taken as the only one installed.
QString LegacyDriverRefusedMessage(const QString &setting);
inline const QString PlainLoginRefusedMessage =
    QStringLiteral("数据库服务器不支持加密连接。为了不让登录密码以明文在网络上传送，程序拒绝连接。"
                   "如确需连接不能加密的旧服务器，请在 default.ini 的 [ConnServ] 节中加入一行“Encryption=optional”。");
