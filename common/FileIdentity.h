#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What identifies a file or folder on its volume, whatever path leads to it (the device and inode
// numbers on Linux, the volume serial number and file index on Windows). SameFile builds on it.
struct FileIdentity
{
    quint64 volume = 0;
    quint64 file = 0;

    bool operator==(const FileIdentity &other) const = default;
};

// Nothing when there is no such file or folder (or it cannot be looked at).
std::optional<FileIdentity> IdentifyFile(const QString &path);
// Two names within one folder, compared by the platform's case rule.
bool SameFileName(const QString &first, const QString &second);
