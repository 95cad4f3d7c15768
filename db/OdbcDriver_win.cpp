#include "db/OdbcDriver.h"

#include <QDir>

#include <windows.h>

namespace {

// Windows' driver manager lists no library: the driver's registration names it.
QString registryLibrary(const QString &name)
{
    const std::wstring key = L"SOFTWARE\\ODBC\\ODBCINST.INI\\" + name.toStdWString();
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Driver", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS)
        return QString();
    return QString::fromWCharArray(path);
}

} // namespace

// With no setting, SQL Server's newest driver that is installed: Microsoft's drivers since Native
// Client 11 can be told to encrypt the log-in; the "SQL Server" driver that comes with Windows is
// the last resort. Under Wine the driver manager is the host's, which names the library itself.
OdbcDriver FindOdbcDriver(const QString &setting)
{
    const QList<InstalledOdbcDriver> installed = InstalledOdbcDrivers();
    const auto find = [&](const QString &name) -> const InstalledOdbcDriver * {
        for (const InstalledOdbcDriver &driver : installed) {
            if (driver.name.compare(name, Qt::CaseInsensitive) == 0)
                return &driver;
        }
        return nullptr;
    };
    OdbcDriver driver;
    const InstalledOdbcDriver *found = nullptr;
    if (setting.isEmpty()) {
        for (const QString name :
             {QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("ODBC Driver 17 for SQL Server"),
              QStringLiteral("SQL Server Native Client 11.0"), QStringLiteral("ODBC Driver 13 for SQL Server"),
              QStringLiteral("SQL Server")}) {
            if ((found = find(name)))
                break;
        }
        driver.name = found ? found->name : QStringLiteral("SQL Server");
    } else {
        driver.name = setting;
        found = find(setting);
    }
    if (!found)
        return driver;
    driver.library = found->library.isEmpty() ? registryLibrary(found->name) : found->library;
    if (!driver.library.isEmpty())
        driver.kind = OdbcDriverKindOfLibrary(driver.library);
    return driver;
}

QString OdbcDriverFilePath(const QString &path, const OdbcDriver &driver)
{
    if (!driver.library.endsWith(QStringLiteral(".so"), Qt::CaseInsensitive))
        return QDir::toNativeSeparators(path);
    // Wine's own name for a Windows path's Unix file; Windows itself has no such function.
    using UnixFileName = char *(CDECL *)(const wchar_t *);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char *unix =
        unixFileName
            ? unixFileName(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(QDir::cleanPath(path)).utf16()))
            : nullptr;
    if (!unix)
        return path;
    const QString converted = QString::fromUtf8(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return converted;
}
