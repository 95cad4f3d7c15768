#pragma once

#include <QByteArray>
#include <QString>

struct zip;

// A read-only zip archive held in memory. Entries are read within a limit on what they
// decompress to, so that a small hostile archive cannot make a reader decompress without end.
class ZipArchive
{
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    static bool looksLikeZip(const QByteArray &data);

    // The data must outlive the archive; it is not copied.
    bool open(const QByteArray &data, QString *error);
    // Entry names are matched without regard to case, as the workbook programs themselves do.
    bool contains(const QString &name) const;
    // The whole entry; refused when it decompresses to more than limit bytes or is damaged.
    bool readEntry(const QString &name, qint64 limit, QByteArray *content, QString *error) const;

private:
    qint64 locate(const QString &name) const;

    zip *m_archive = nullptr;
};
