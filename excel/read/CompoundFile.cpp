#include "excel/read/CompoundFile.h"

#include "excel/read/LittleEndian.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"

#include <QSet>

#include <algorithm>

namespace {

constexpr quint32 MaxRegularSector = 0xfffffffa;
constexpr quint32 EndOfChain = 0xfffffffe;
constexpr quint32 FreeSector = 0xffffffff;
constexpr quint32 NoStream = 0xffffffff;
constexpr quint32 MiniSectorSize = 64;
constexpr int HeaderSize = 512;
constexpr int EntrySize = 128;

const char Signature[] = "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1";

using LittleEndian::u16;
using LittleEndian::u32;

} // namespace

bool CompoundFile::looksLikeCompoundFile(QByteArrayView head)
{
    return head.startsWith(QByteArrayView(Signature, 8));
}

bool CompoundFile::sector(quint32 number, QByteArrayView *bytes) const
{
    if (number > MaxRegularSector)
        return false;
    const qint64 offset = (qint64(number) + 1) * m_sectorSize;
    if (offset >= m_data.size())
        return false;
    // The last sector of a file may be cut short by its writer; what is there is read.
    *bytes = m_data.sliced(offset, std::min<qint64>(m_sectorSize, m_data.size() - offset));
    return true;
}

bool CompoundFile::chain(const QList<quint32> &table, quint32 start, QList<quint32> *sectors) const
{
    sectors->clear();
    // A chain visits each sector at most once, so it cannot be longer than the table.
    for (quint32 at = start; at != EndOfChain;) {
        if (at >= quint32(table.size()) || sectors->size() >= table.size())
            return false;
        sectors->append(at);
        at = table.at(at);
    }
    return true;
}

bool CompoundFile::readChain(quint32 start, quint64 size, QByteArray *out, QByteArrayView *view) const
{
    out->clear();
    *view = QByteArrayView();
    // A stream is never longer than the file; version 4 files have room for any 64-bit size.
    size = std::min<quint64>(size, quint64(m_data.size()));
    if (size == 0)
        return true;
    QList<quint32> sectors;
    if (!chain(m_fat, start, &sectors))
        return false;
    if (sectors.isEmpty())
        return true;
    // Most writers put a stream's sectors one after another: then it is read where it lies.
    const qint64 first = (qint64(sectors.constFirst()) + 1) * m_sectorSize;
    const qint64 length = std::min<qint64>(qint64(size), qint64(sectors.size()) * m_sectorSize);
    bool inOrder = first + length <= m_data.size();
    for (qsizetype i = 1; inOrder && i < sectors.size(); ++i)
        inOrder = sectors.at(i) == sectors.at(i - 1) + 1;
    if (inOrder) {
        *view = m_data.sliced(first, length);
        return true;
    }
    out->reserve(qsizetype(length));
    for (quint32 number : std::as_const(sectors)) {
        QByteArrayView bytes;
        if (!sector(number, &bytes))
            return false;
        out->append(bytes.first(std::min<qint64>(bytes.size(), qint64(size) - out->size())));
        if (quint64(out->size()) >= size)
            break;
    }
    *view = *out;
    return true;
}

bool CompoundFile::open(QByteArrayView data, WorkbookError *error)
{
    *this = CompoundFile();
    const char *failure = readHeader(data);
    if (!failure)
        failure = readAllocationTable();
    if (!failure)
        failure = readDirectory();
    if (!failure)
        failure = readMiniTable();
    if (!failure)
        return true;
    *this = CompoundFile();
    return WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                               QStringLiteral("工作簿文件已损坏（%1），无法读取。").arg(QString::fromUtf8(failure)));
}

const char *CompoundFile::readHeader(QByteArrayView data)
{
    if (data.size() < HeaderSize || !looksLikeCompoundFile(data))
        return ReadText::BadHeader;
    m_data = data;
    m_header = data.first(HeaderSize);
    const quint16 shift = u16(m_header, 30);
    if (u16(m_header, 28) != 0xfffe || (shift != 9 && shift != 12) || u16(m_header, 32) != 6)
        return ReadText::BadHeader;
    m_sectorSize = 1u << shift;
    m_miniCutoff = u32(m_header, 56);
    // No table can name more sectors than the file holds.
    m_sectorsInFile = (data.size() + m_sectorSize - 1) / m_sectorSize;
    return nullptr;
}

// The sectors of the allocation table: 109 in the header, the rest in a chain of their own.
const char *CompoundFile::readAllocationTable()
{
    const quint32 perSector = m_sectorSize / 4;
    QList<quint32> fatSectors;
    auto addFatSector = [&](quint32 number) {
        if (number <= MaxRegularSector && fatSectors.size() < m_sectorsInFile)
            fatSectors.append(number);
    };
    for (int i = 0; i < 109; ++i)
        addFatSector(u32(m_header, 76 + 4 * i));
    quint32 next = u32(m_header, 68);
    for (qint64 seen = 0; next <= MaxRegularSector; ++seen) {
        QByteArrayView bytes;
        if (seen >= m_sectorsInFile || !sector(next, &bytes) || bytes.size() < qsizetype(m_sectorSize))
            return ReadText::BadAllocationTable;
        for (quint32 i = 0; i + 1 < perSector; ++i)
            addFatSector(u32(bytes, 4 * i));
        next = u32(bytes, 4 * (perSector - 1));
    }
    m_fat.reserve(std::min<qint64>(fatSectors.size() * perSector, m_sectorsInFile));
    for (quint32 number : std::as_const(fatSectors)) {
        QByteArrayView bytes;
        if (!sector(number, &bytes))
            return ReadText::BadAllocationTable;
        for (qsizetype i = 0; i + 4 <= bytes.size() && m_fat.size() < m_sectorsInFile; i += 4)
            m_fat.append(u32(bytes, i));
    }
    return nullptr;
}

quint64 CompoundFile::entrySize(QByteArrayView entry) const
{
    // Version 3 files keep only 32 bits of the size; some writers leave garbage in the rest.
    const quint64 low = u32(entry, 120);
    return m_sectorSize == 512 ? low : low | quint64(u32(entry, 124)) << 32;
}

// The directory: entry 0 is the root, whose stream is the mini stream of the small streams; the
// streams directly under it form a tree, walked without recursion, each entry once.
const char *CompoundFile::readDirectory()
{
    QByteArray directory;
    if (!readSectors(u32(m_header, 48), &directory))
        return ReadText::BadDirectory;
    const qsizetype entryCount = directory.size() / EntrySize;
    if (entryCount < 1 || quint8(directory.at(66)) != 5)
        return ReadText::BadDirectory;
    auto entryAt = [&](qsizetype index) { return QByteArrayView(directory).sliced(index * EntrySize, EntrySize); };
    const QByteArrayView root = entryAt(0);
    QList<quint32> pending{u32(root, 76)};
    QSet<quint32> visited;
    while (!pending.isEmpty()) {
        const quint32 index = pending.takeLast();
        if (index == NoStream)
            continue;
        if (index >= quint32(entryCount) || visited.contains(index))
            return ReadText::BadDirectory;
        visited.insert(index);
        const QByteArrayView entry = entryAt(index);
        pending.append(u32(entry, 68)); // left sibling
        pending.append(u32(entry, 72)); // right sibling
        if (quint8(entry[66]) != 2)
            continue; // a storage or an unused entry
        // The name's length counts its closing zero, in bytes.
        const int length = std::clamp<int>(u16(entry, 64) / 2, 1, 32) - 1;
        QString name;
        for (int i = 0; i < length; ++i)
            name.append(QChar(char16_t(u16(entry, 2 * i))));
        m_streams.append({name, u32(entry, 116), entrySize(entry)});
    }
    // The small streams live in the root's stream, 64 bytes a sector, chained through the mini table.
    QByteArrayView miniStream;
    if (!readChain(u32(root, 116), entrySize(root), &m_miniStream, &miniStream))
        return ReadText::BadDirectory;
    if (m_miniStream.isEmpty() && !miniStream.isEmpty())
        m_miniStream = miniStream.toByteArray();
    return nullptr;
}

const char *CompoundFile::readMiniTable()
{
    const quint32 start = u32(m_header, 60);
    QList<quint32> sectors;
    if (start != EndOfChain && start != FreeSector && !chain(m_fat, start, &sectors))
        return ReadText::BadAllocationTable;
    for (quint32 number : std::as_const(sectors)) {
        QByteArrayView bytes;
        if (!sector(number, &bytes))
            return ReadText::BadAllocationTable;
        for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4)
            m_miniFat.append(u32(bytes, i));
    }
    const qsizetype miniSectors = (m_miniStream.size() + MiniSectorSize - 1) / MiniSectorSize;
    if (m_miniFat.size() > miniSectors)
        m_miniFat.resize(miniSectors);
    return nullptr;
}

bool CompoundFile::readSectors(quint32 start, QByteArray *out) const
{
    QList<quint32> sectors;
    if (!chain(m_fat, start, &sectors))
        return false;
    for (quint32 number : std::as_const(sectors)) {
        QByteArrayView bytes;
        if (!sector(number, &bytes))
            return false;
        out->append(bytes);
    }
    return true;
}

const CompoundFile::Entry *CompoundFile::find(QStringView name) const
{
    for (const Entry &entry : m_streams)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

bool CompoundFile::hasStream(QStringView name) const
{
    return find(name) != nullptr;
}

bool CompoundFile::readStream(QStringView name, QByteArray *storage, QByteArrayView *stream, WorkbookError *error) const
{
    storage->clear();
    *stream = QByteArrayView();
    const Entry *entry = find(name);
    bool ok = entry != nullptr;
    if (ok && entry->size >= m_miniCutoff) {
        ok = readChain(entry->start, entry->size, storage, stream);
    } else if (ok && entry->size > 0) {
        QList<quint32> sectors;
        ok = chain(m_miniFat, entry->start, &sectors);
        for (qsizetype i = 0; ok && i < sectors.size() && quint64(storage->size()) < entry->size; ++i) {
            const qint64 offset = qint64(sectors.at(i)) * MiniSectorSize;
            ok = offset < m_miniStream.size();
            if (ok)
                storage->append(QByteArrayView(m_miniStream)
                                    .sliced(offset)
                                    .first(std::min<qint64>({MiniSectorSize, m_miniStream.size() - offset,
                                                             qint64(entry->size) - storage->size()})));
        }
        *stream = *storage;
    }
    if (ok)
        return true;
    storage->clear();
    *stream = QByteArrayView();
    return WorkbookError::fail(error, WorkbookError::Kind::Damaged,
                               QStringLiteral("工作簿文件已损坏（数据流无法读取），无法读取。"));
}
