#include "excel/read/Crc32.h"

#include <algorithm>

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>

namespace {

#define QUILVAR_FOLDING __attribute__((target("pclmul,sse4.1")))

QUILVAR_FOLDING inline __m128i load(const unsigned char *at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
}

// lane carried 64 or 16 bytes on (the constants' halves multiply its two) and added to next.
QUILVAR_FOLDING inline __m128i fold(__m128i lane, __m128i constants, __m128i next)
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x11), next),
                         _mm_clmulepi64_si128(lane, constants, 0x00));
}

// The CRC of the polynomial 0xEDB88320 (bits reflected) by folding with carry-less multiplication,
// after Intel's "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ Instruction": four
// 16-byte lanes folded 64 bytes on, then into one, then 16 bytes at a time, then reduced to 32 bits
// (Barrett). size is a multiple of 16 and at least 64; crc and the result are the register as the
// algorithm keeps it (not inverted).
QUILVAR_FOLDING quint32 folded(const unsigned char *data, qint64 size, quint32 crc)
{
    alignas(16) static const quint64 fourLanes[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const quint64 oneLane[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const quint64 to64[] = {0x0163cd6124, 0};
    alignas(16) static const quint64 barrett[] = {0x01db710641, 0x01f7011641};
    __m128i x1 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(int(crc)));
    __m128i x2 = load(data + 16), x3 = load(data + 32), x4 = load(data + 48);
    data += 64;
    size -= 64;
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i *>(fourLanes));
    for (; size >= 64; data += 64, size -= 64) {
        x1 = fold(x1, k, load(data));
        x2 = fold(x2, k, load(data + 16));
        x3 = fold(x3, k, load(data + 32));
        x4 = fold(x4, k, load(data + 48));
    }
    k = _mm_load_si128(reinterpret_cast<const __m128i *>(oneLane));
    x1 = fold(fold(fold(x1, k, x2), k, x3), k, x4);
    for (; size >= 16; data += 16, size -= 16)
        x1 = fold(x1, k, load(data));

    // 128 bits to 64, then to 32 by Barrett reduction.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k, 0x10));
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(to64));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00), _mm_srli_si128(x1, 4));
    k = _mm_load_si128(reinterpret_cast<const __m128i *>(barrett));
    __m128i x2r = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x10);
    x2r = _mm_clmulepi64_si128(_mm_and_si128(x2r, low32), k, 0x00);
    return quint32(_mm_extract_epi32(_mm_xor_si128(x1, x2r), 1));
}

bool canFold()
{
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}

} // namespace
#endif

quint32 Crc32(quint32 crc, const char *data, qint64 size)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
#if defined(__x86_64__)
    if (size >= 64 && canFold()) {
        const qint64 whole = size & ~qint64(15);
        crc = ~folded(bytes, whole, ~crc);
        bytes += whole;
        size -= whole;
    }
#endif
    // What is left (or all, elsewhere): zlib's, in pieces its length type holds.
    while (size > 0) {
        const qint64 piece = std::min<qint64>(size, 1 << 30);
        crc = quint32(crc32_z(crc, bytes, z_size_t(piece)));
        bytes += piece;
        size -= piece;
    }
    return crc;
}
