#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The compound-file container of legacy Office documents: a small file system of fixed-size sectors
// chained through an allocation table, with a directory of named streams. Every sector number, chain
// and size in it is checked against the file, so that a hostile file can neither loop nor make the
// reader allocate more than the file's own size.
struct WorkbookError;

class CompoundFile
{
public:
    static bool looksLikeCompoundFile(QByteArrayView head);

    // Keeps a view of data: it must outlive this object. False and a message for a damaged container.
    bool open(QByteArrayView data, WorkbookError *error);
    // Whether the root storage holds a stream of that name (names compare without regard to case).
    bool hasStream(QStringView name) const;
    // The whole stream, or false and a message when its sectors cannot be followed: a view of the
    // file's data where the stream's sectors lie one after another, else of storage, which holds
    // the sectors gathered.
    bool readStream(QStringView name, QByteArray *storage, QByteArrayView *stream, WorkbookError *error) const;

private:
    struct Entry
    {
        QString name;
        quint32 start = 0;
        quint64 size = 0;
    };

    // The phases of open(): each gives what it found damaged, or null.
    const char *readHeader(QByteArrayView data);
    const char *readAllocationTable();
    const char *readDirectory();
    const char *readMiniTable();
    quint64 entrySize(QByteArrayView entry) const;
    // The sectors of a chain in the allocation table, one after another.
    bool readSectors(quint32 start, QByteArray *out) const;
    bool sector(quint32 number, QByteArrayView *bytes) const;
    bool chain(const QList<quint32> &table, quint32 start, QList<quint32> *sectors) const;
    bool readChain(quint32 start, quint64 size, QByteArray *out, QByteArrayView *view) const;
    const Entry *find(QStringView name) const;

    QByteArrayView m_data;
    QByteArrayView m_header;
    qint64 m_sectorsInFile = 0;
    quint32 m_sectorSize = 512;
    quint32 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_streams; // the streams of the root storage
};
