#include "common/FileIdentity.h"

#include <windows.h>

std::optional<FileIdentity> IdentifyFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    // No access asked for: reading the identity needs none, and a file another program holds open
    // is still found. Folders open only with backup semantics.
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{quint64(information.dwVolumeSerialNumber),
                        (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

bool SameFileName(const QString &first, const QString &second)
{
    // The file system's own comparison: ordinal, ignoring case.
    return CompareStringOrdinal(reinterpret_cast<const wchar_t *>(first.utf16()), int(first.size()),
                                reinterpret_cast<const wchar_t *>(second.utf16()), int(second.size()),
                                TRUE) == CSTR_EQUAL;
}
