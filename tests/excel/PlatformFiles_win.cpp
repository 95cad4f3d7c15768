#include "PlatformFiles.h"

#include <QDir>

#include <qt_windows.h>

std::shared_ptr<void> HoldOpenAsExcelDoes(const QString &path)
{
    const HANDLE handle = CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::shared_ptr<void>(handle, [](void *h) { CloseHandle(h); });
}

// The wide call: a Chinese folder name survives any code page.
void UseTemporaryFolder(const QString &folder)
{
    const std::wstring wide = QDir::toNativeSeparators(folder).toStdWString();
    SetEnvironmentVariableW(L"TMP", wide.c_str());
    SetEnvironmentVariableW(L"TEMP", wide.c_str());
}
