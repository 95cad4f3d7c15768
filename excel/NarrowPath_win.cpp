#include "excel/NarrowPath.h"

#include <QDir>
#include <QFileInfo>

#include <qt_windows.h>

#include <vector>

QByteArray NarrowPath(const QString &path)
{
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    if (wide.empty())
        return {};
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return {};
    QByteArray narrow(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), narrow.data(), size, nullptr,
                        &lossy);
    return lossy ? QByteArray() : narrow;
}

namespace {

QString ShortForm(const QString &path)
{
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    std::vector<wchar_t> buffer(wide.size() + MAX_PATH);
    const DWORD length = GetShortPathNameW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer.data(), int(length)));
}

QString SystemTemp()
{
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer, int(length))) + QStringLiteral("/Temp");
}

} // namespace

QString NarrowScratchBase()
{
    const QString temp = QDir::tempPath();
    for (const QString &candidate : {temp, ShortForm(temp), SystemTemp()})
        if (!candidate.isEmpty() && !NarrowPath(candidate).isEmpty() && QFileInfo(candidate).isDir())
            return candidate;
    return temp;
}

bool IsHeldOpenElsewhere(const QString &path)
{
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    // Asked for writing and deleting with no sharing: a program that holds it open refuses.
    const HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
