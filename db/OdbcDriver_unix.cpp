#include "db/OdbcDriver.h"

// On Linux SQL Server is reached through FreeTDS; the driver manager (odbcinst.ini, or the one
// ODBCSYSINI points at) names each driver's library.
OdbcDriver FindOdbcDriver(const QString &setting)
{
    OdbcDriver driver;
    driver.name = setting.isEmpty() ? QStringLiteral("FreeTDS") : setting;
    for (const InstalledOdbcDriver &installed : InstalledOdbcDrivers()) {
        if (installed.name.compare(driver.name, Qt::CaseInsensitive) == 0) {
            driver.library = installed.library;
            if (!installed.library.isEmpty())
                driver.kind = OdbcDriverKindOfLibrary(installed.library);
            break;
        }
    }
    return driver;
}

QString OdbcDriverFilePath(const QString &path, const OdbcDriver &)
{
    return path;
}
