#pragma once

#include <QtGlobal>

// The CRC-32 that zip archives check their entries by (zlib's crc32), continued from crc over
// size bytes of data. Where the processor multiplies without carry (every x86-64 of the last
// decade) it folds sixteen bytes at a time, several times as fast as zlib's own.
quint32 Crc32(quint32 crc, const char *data, qint64 size);
