#pragma once

#include <QString>

#include <functional>

// The database connection settings kept in default.ini.
struct ConnectionSettings
{
    enum class Account
    {
        SqlServer,
        System
    };

    QString dataSource;     // "ConnServ" / "DATA SOURCE", as typed
    QString initialCatalog; // "ConnServ" / "initial catalog"
    Account account = Account::SqlServer;
    QString userName; // plain; empty for the system account
    QString password; // plain; empty for the system account
};

// Section and key names, spelled as the Windows installations wrote them.
namespace IniKeys {
inline const QString ConnServ = QStringLiteral("ConnServ");
inline const QString DataSource = QStringLiteral("DATA SOURCE");
inline const QString InitialCatalog = QStringLiteral("initial catalog");
inline const QString OdbcDriver = QStringLiteral("ODBC Driver");
inline const QString Encryption = QStringLiteral("Encryption");
inline const QString EncryptionOptional = QStringLiteral("optional");
inline const QString Certificate = QStringLiteral("Certificate");
inline const QString CertificateVerify = QStringLiteral("verify");
inline const QString ConnUserType = QStringLiteral("ConnUserType");
inline const QString SqlUser = QStringLiteral("SQLUser");
inline const QString ConnUser = QStringLiteral("ConnUser");
inline const QString UserName = QStringLiteral("UserName");
inline const QString PassWd = QStringLiteral("PassWd");
inline const QString SystemAccount = QStringLiteral("SYSTEM");
inline const QString SqlServerAccount = QStringLiteral("SQL User");
} // namespace IniKeys

// True exactly when the stored "SQLUser" value, without its blanks, is "SYSTEM" (case counts).
bool IsSystemAccount(const QString &storedAccountType);

// The stored settings, the user name and password decoded and without their blanks, the data
// source and catalog as stored. A missing file gives empty values and a SQL Server account.
ConnectionSettings ReadConnectionSettings(const QString &iniPath);

// The values typed in the settings window as the connection uses them: each without its blanks.
ConnectionSettings TrimmedSettings(const ConnectionSettings &boxes);

// The connection text for values typed in the settings window: each value without its blanks.
QString ComposeConnStr(const ConnectionSettings &settings);

// The connection text from the settings file, "Provider=SQLOLEDB.1;…", composed exactly as the
// Windows program did (no value quoted). When the file is missing (or is not a regular file), onMissingFile is called
// first (the window shows its message there, quilvar-batch records it) and the text is composed from empty values.
QString BuildConnStr(const QString &iniPath, const std::function<void()> &onMissingFile = {});

// The "ODBC Driver" named in the settings file, without its blanks; empty for SQL Server.
QString OdbcDriverSetting(const QString &iniPath);

// False only when "Encryption" in "ConnServ" is "optional" (any case): an old server that cannot
// encrypt may then receive the log-in unencrypted. Every other value requires encryption.
bool EncryptionRequired(const QString &iniPath);

// True when "Certificate" in "ConnServ" is "verify" (any case): Microsoft's drivers then check the
// server's certificate against the machine's trusted ones (a server with a certificate of its own
// making is refused).
bool CertificateVerified(const QString &iniPath);

inline const QString MissingIniMessage = QStringLiteral("保存设置信息的文件没有找到，程序不能运行！");
inline const QString MissingIniTitle = QStringLiteral("初始设置错误");
