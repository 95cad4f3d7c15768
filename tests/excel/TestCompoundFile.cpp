#include "TestCompoundFile.h"

#include <QtEndian>

namespace {

constexpr quint32 EndOfChain = 0xfffffffe;
constexpr quint32 Free = 0xffffffff;

void put16(QByteArray &bytes, int at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray &bytes, int at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

QByteArray compoundFile(const QList<QPair<QString, QByteArray>> &input)
{
    QList<QPair<QString, QByteArray>> streams = input;
    for (auto &stream : streams)
        if (stream.second.size() < 4096)
            stream.second.append(QByteArray(4096 - stream.second.size(), '\0'));

    // Sector 0 is the allocation table, sector 1 the directory (four entries), then the streams.
    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray::fromHex("d0cf11e0a1b11ae1"));
    put16(header, 24, 0x3e);
    put16(header, 26, 3);
    put16(header, 28, 0xfffe);
    put16(header, 30, 9);
    put16(header, 32, 6);
    put32(header, 44, 1); // allocation-table sectors
    put32(header, 48, 1); // first directory sector
    put32(header, 56, 4096);
    put32(header, 60, EndOfChain); // no mini table
    put32(header, 68, EndOfChain); // no further table sectors
    put32(header, 76, 0);
    for (int i = 1; i < 109; ++i)
        put32(header, 76 + 4 * i, Free);

    QByteArray fat(512, '\xff');
    put32(fat, 0, 0xfffffffd);
    put32(fat, 4, EndOfChain);
    QByteArray directory(512, '\0');
    QByteArray data;
    auto entry = [&](int index, const QString &name, quint8 type, quint32 right, quint32 child, quint32 start,
                     quint32 size) {
        const int at = index * 128;
        for (int i = 0; i < name.size(); ++i)
            put16(directory, at + 2 * i, name.at(i).unicode());
        put16(directory, at + 64, quint16(2 * name.size() + 2));
        directory[at + 66] = char(type);
        put32(directory, at + 68, Free);
        put32(directory, at + 72, right);
        put32(directory, at + 76, child);
        put32(directory, at + 116, start);
        put32(directory, at + 120, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, Free, streams.isEmpty() ? Free : 1, EndOfChain, 0);
    quint32 next = 2;
    for (int i = 0; i < streams.size() && i < 3; ++i) {
        const QByteArray &bytes = streams.at(i).second;
        const quint32 sectors = quint32((bytes.size() + 511) / 512);
        for (quint32 s = 0; s < sectors; ++s)
            put32(fat, int(4 * (next + s)), s + 1 < sectors ? next + s + 1 : EndOfChain);
        entry(i + 1, streams.at(i).first, 2, i + 1 < streams.size() ? quint32(i + 2) : Free, Free, next,
              quint32(bytes.size()));
        data += bytes + QByteArray(int(sectors * 512 - bytes.size()), '\0');
        next += sectors;
    }
    return header + fat + directory + data;
}
