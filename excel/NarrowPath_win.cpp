#include "excel/NarrowPath.h"

#include "common/CodePage.h"

#include <QDir>
#include <QFileInfo>

#include <qt_windows.h>

#include <vector>

QByteArray NarrowPath(const QString &path)
{
    // Through the code-page layer, which refuses a lossy conversion and also takes a system whose
    // ANSI code page is UTF-8 (where the no-best-fit check of the plain call fails every path).
    bool ok = false;
    const QByteArray narrow = CodePage::fromUnicode(GetACP(), QDir::toNativeSeparators(path), &ok);
    return ok ? narrow : QByteArray();
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
