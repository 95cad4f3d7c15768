// libFuzzer target: the reading of what quilvar-xls-reader writes, the place where the program
// meets the bytes of a child that a hostile workbook may have subverted.
#include "excel/read/XlsReaderOutput.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    XlsReaderResult result;
    // Whatever is accepted is exactly what the child would have written for it.
    if (XlsReaderOutput::decode(bytes, ReadLimits{}, &result) && XlsReaderOutput::encode(result) != bytes)
        __builtin_trap();
    return 0;
}
