#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Turns fuzz input into a text. The first byte chooses the decoding (raw UTF-16, lone surrogates
// and all, or UTF-8) and how often the rest is repeated, so that small inputs reach 100,000
// characters and thousands of separators.
inline QString FuzzText(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const uint8_t mode = data[0];
    ++data;
    --size;
    QString unit;
    if (mode & 1)
        unit = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    else
        unit = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const int repeats[] = {1, 1, 10, 100, 1000, 5000, 20000, 100000};
    const qsizetype limit = 200000;
    int times = repeats[(mode >> 1) & 7];
    if (!unit.isEmpty() && unit.size() * times > limit)
        times = int(limit / unit.size());
    return unit.repeated(times > 0 ? times : 1);
}
