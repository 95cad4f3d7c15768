#include "common/SharedSettingsFolder.h"

#include <QDir>

#include <qt_windows.h>
#include <shlobj.h>

QString SharedSettingsFolder()
{
    wchar_t *folder = nullptr;
    QString path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder)))
        path = QDir::fromNativeSeparators(QString::fromWCharArray(folder)) + QStringLiteral("/Quilvar");
    CoTaskMemFree(folder);
    return path;
}
