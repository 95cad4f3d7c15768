#include "db/ConnectionSettings.h"

#include "common/Spaces.h"
#include "db/IniFile.h"
#include "db/TextScramble.h"

#include <QFileInfo>

bool IsSystemAccount(const QString &storedAccountType)
{
    return TrimSpaces(storedAccountType) == IniKeys::SystemAccount;
}

ConnectionSettings ReadConnectionSettings(const QString &iniPath)
{
    ConnectionSettings settings;
    settings.dataSource = ReadIni(IniKeys::ConnServ, IniKeys::DataSource, iniPath);
    settings.initialCatalog = ReadIni(IniKeys::ConnServ, IniKeys::InitialCatalog, iniPath);
    if (IsSystemAccount(ReadIni(IniKeys::ConnUserType, IniKeys::SqlUser, iniPath))) {
        settings.account = ConnectionSettings::Account::System;
        return settings;
    }
    settings.userName = DecodeText(TrimSpaces(ReadIni(IniKeys::ConnUser, IniKeys::UserName, iniPath)).toString());
    settings.password = DecodeText(TrimSpaces(ReadIni(IniKeys::ConnUser, IniKeys::PassWd, iniPath)).toString());
    return settings;
}

namespace {

QString compose(ConnectionSettings::Account account, const QString &password, const QString &userName,
                const QString &catalog, const QString &dataSource)
{
    QString text = QStringLiteral("Provider=SQLOLEDB.1;");
    if (account == ConnectionSettings::Account::System)
        text += QStringLiteral("Integrated Security=SSPI;");
    else
        text += QStringLiteral("Password=") + password + QStringLiteral(";User ID=") + userName;
    text += QStringLiteral(";Initial Catalog=") + catalog;
    text += QStringLiteral(";Data Source=") + dataSource;
    return text;
}

} // namespace

QString ComposeConnStr(const ConnectionSettings &settings)
{
    return compose(settings.account, TrimSpaces(settings.password).toString(), TrimSpaces(settings.userName).toString(),
                   TrimSpaces(settings.initialCatalog).toString(), TrimSpaces(settings.dataSource).toString());
}

QString BuildConnStr(const QString &iniPath, const std::function<void()> &onMissingFile)
{
    if (!QFileInfo::exists(iniPath) && onMissingFile)
        onMissingFile();
    const ConnectionSettings settings = ReadConnectionSettings(iniPath);
    // The stored data source and catalog go in as read, blanks included.
    return compose(settings.account, settings.password, settings.userName, settings.initialCatalog,
                   settings.dataSource);
}

QString OdbcDriverSetting(const QString &iniPath)
{
    return TrimSpaces(ReadIni(IniKeys::ConnServ, IniKeys::OdbcDriver, iniPath)).toString();
}

bool EncryptionRequired(const QString &iniPath)
{
    return TrimSpaces(ReadIni(IniKeys::ConnServ, IniKeys::Encryption, iniPath))
               .compare(IniKeys::EncryptionOptional, Qt::CaseInsensitive) != 0;
}
