// libFuzzer target: the .xls parser (compound-file container and record walker) on any bytes, in
// this process, so that the sanitizers see every read it makes.
#include "excel/read/XlsWorkbook.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const XlsReaderResult result =
        ReadXlsWorkbook(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), ReadLimits{});
    if (!result.ok && result.error.text.isEmpty())
        __builtin_trap(); // a failure must always say why
    if (result.ok && !result.error.text.isEmpty())
        __builtin_trap();
    return 0;
}
