#include "excel/read/Crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <zlib.h>

// The folding CRC gives zlib's for every length (below, at and past each step it folds by), every
// alignment and any starting value, and across a sheet-sized buffer in pieces as a part arrives.
TEST(Crc32, AgreesWithZlib)
{
    std::mt19937_64 random(26);
    std::vector<char> data(3 << 20);
    for (char &byte : data)
        byte = char(random());
    const auto zlib = [&](quint32 crc, qsizetype at, qsizetype size) {
        return quint32(crc32_z(crc, reinterpret_cast<const Bytef *>(data.data() + at), z_size_t(size)));
    };
    for (qsizetype size = 0; size <= 300; ++size)
        for (qsizetype at = 0; at < 16; ++at) {
            const quint32 start = size % 2 ? quint32(random()) : 0;
            ASSERT_EQ(Crc32(start, data.data() + at, size), zlib(start, at, size)) << size << " at " << at;
        }
    quint32 pieces = 0;
    qsizetype at = 0;
    while (at < qsizetype(data.size())) {
        const qsizetype size = std::min<qsizetype>(qsizetype(random() % 100000), qsizetype(data.size()) - at);
        pieces = Crc32(pieces, data.data() + at, size);
        at += size;
    }
    EXPECT_EQ(pieces, zlib(0, 0, qsizetype(data.size())));
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u); // the check value of CRC-32
}
