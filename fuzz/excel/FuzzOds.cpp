// libFuzzer target: the .ods reader on any bytes.
#include "excel/WorkbookReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    CellGrid grid;
    QString error;
    ReadOdsData(bytes, ReadLimits{}, &grid, &error);
    return 0;
}
