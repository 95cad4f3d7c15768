#pragma once

#include <QByteArray>
#include <QString>

struct WorkbookError;

struct zip;
class ZipEntry;

// A read-only zip archive, held in memory or read from its file. Entries are read within a limit
// on what they decompress to, so that a small hostile archive cannot make a reader decompress
// without end.
class ZipArchive
{
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    static bool looksLikeZip(const QByteArray &data);

    // The data must outlive the archive; it is not copied.
    bool open(const QByteArray &data, WorkbookError *error);
    // Read from the file as entries are read, so that the file's size costs no memory.
    bool openFile(const QString &path, WorkbookError *error);
    // Entry names are matched without regard to case, as the workbook programs themselves do.
    bool contains(const QString &name) const;
    // The whole entry; refused when it decompresses to more than limit bytes or is damaged.
    bool readEntry(const QString &name, qint64 limit, QByteArray *content, WorkbookError *error) const;

    // An entry read piece by piece as it decompresses; close it with closeEntry.
    ZipEntry *openEntry(const QString &name, WorkbookError *error) const;
    // Decompresses at most size bytes into buffer: the count, 0 at the end (the entry whole, its
    // size and CRC as the archive's directory gives them), -1 when damaged.
    static qint64 readSome(ZipEntry *entry, char *buffer, qint64 size);
    static void closeEntry(ZipEntry *entry);

private:
    qint64 locate(const QString &name) const;

    zip *m_archive = nullptr;
};
