#pragma once

#include <QByteArrayView>

#include <bit>

// Integers and doubles stored little-endian in the legacy workbook files. The caller checks that
// the bytes are there.
namespace LittleEndian {

inline quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

inline quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return quint32(u16(bytes, at)) | quint32(u16(bytes, at + 2)) << 16;
}

inline double f64(QByteArrayView bytes, qsizetype at)
{
    return std::bit_cast<double>(quint64(u32(bytes, at)) | quint64(u32(bytes, at + 4)) << 32);
}

} // namespace LittleEndian
