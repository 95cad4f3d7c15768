#include "db/ConnectionSettings.h"

#include "common/IniFile.h"
#include "common/Spaces.h"
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

QString compose(const ConnectionSettings &settings)
{
    QString text = QStringLiteral("Provider=SQLOLEDB.1;");
    if (settings.account == ConnectionSettings::Account::System)
        text += QStringLiteral("Integrated Security=SSPI;");
    else
        text += QStringLiteral("Password=") + settings.password + QStringLiteral(";User ID=") + settings.userName;
    text += QStringLiteral(";Initial Catalog=") + settings.initialCatalog;
    text += QStringLiteral(";Data Source=") + settings.dataSource;
    return text;
}

} // namespace

ConnectionSettings TrimmedSettings(const ConnectionSettings &boxes)
{
    ConnectionSettings settings = boxes;
    for (QString *value : {&settings.dataSource, &settings.initialCatalog, &settings.userName, &settings.password})
        *value = TrimSpaces(*value).toString();
    return settings;
}

QString ComposeConnStr(const ConnectionSettings &settings)
{
    return compose(TrimmedSettings(settings));
}

QString BuildConnStr(const QString &iniPath, const std::function<void()> &onMissingFile)
{
    // A FIFO or a device would block the reading or hold no settings: it counts as no file.
    if (!QFileInfo(iniPath).isFile() && onMissingFile)
        onMissingFile();
    // The stored data source and catalog go in as read, blanks included.
    return compose(ReadConnectionSettings(iniPath));
}

QString OdbcDriverSetting(const QString &iniPath)
{
    return TrimSpaces(ReadIni(IniKeys::ConnServ, IniKeys::OdbcDriver, iniPath)).toString();
}

bool CertificateVerified(const QString &iniPath)
{
    return TrimSpaces(ReadIni(IniKeys::ConnServ, IniKeys::Certificate, iniPath))
               .compare(IniKeys::CertificateVerify, Qt::CaseInsensitive) == 0;
}

bool EncryptionRequired(const QString &iniPath)
{
    return TrimSpaces(ReadIni(IniKeys::ConnServ, IniKeys::Encryption, iniPath))
               .compare(IniKeys::EncryptionOptional, Qt::CaseInsensitive) != 0;
}
