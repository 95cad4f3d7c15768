#include "common/OneJob.h"

#include "common/AddressSanitizer.h"

#include <cstdint>
#include <cstdlib> // says whether the C library is glibc

#if defined(__GLIBC__) && !defined(QUILVAR_ADDRESS_SANITIZER)
#include <malloc.h>
#include <sys/mman.h>
#endif

void PrepareHeapForOneJob()
{
#if defined(__GLIBC__) && !defined(QUILVAR_ADDRESS_SANITIZER)
    constexpr int MiB = 1024 * 1024;
    // Large blocks (a row list of a full sheet, a read buffer) come from the heap too rather than
    // from mappings of their own that are unmapped and faulted in again as they grow; the heap is
    // never trimmed and grows in steps of 16 MB.
    mallopt(M_MMAP_THRESHOLD, 64 * MiB);
    mallopt(M_TRIM_THRESHOLD, 256 * MiB);
    mallopt(M_TOP_PAD, 16 * MiB);
    // A first stretch of the heap, taken now and given back to it at once, marked for large pages
    // while none of it has been touched (only its aligned middle: a large page must lie whole
    // inside). Where the system gives no large pages the advice is refused and changes nothing.
    constexpr std::size_t Reserve = 48 * MiB;
    constexpr std::uintptr_t LargePage = 2 * MiB;
    if (void *block = std::malloc(Reserve)) {
        const auto begin = (reinterpret_cast<std::uintptr_t>(block) + LargePage - 1) & ~(LargePage - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(block) + Reserve) & ~(LargePage - 1);
        if (end > begin)
            madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
        std::free(block);
    }
#endif
}
