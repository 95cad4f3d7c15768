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
    // Within limits so small that a few records for the same cells are more than twice the cells they
    // let through (the reader then puts what it has in order as it goes), the same cells read the same.
    const ReadLimits small{2, 2};
    const XlsReaderResult corner =
        ReadXlsWorkbook(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), small);
    if (corner.ok != result.ok)
        __builtin_trap();
    QList<XlsCell> inCorner;
    for (const XlsCell &cell : result.cells)
        if (cell.row <= small.maxRows && cell.column <= small.maxColumns)
            inCorner.append(cell);
    if (corner.ok && corner.cells != inCorner)
        __builtin_trap();
    return 0;
}
