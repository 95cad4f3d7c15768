// libFuzzer target: the reading of what quilvar-xls-reader writes, the place where the program
// meets the bytes of a child that a hostile workbook may have subverted.
#include "excel/read/CellGrid.h"
#include "excel/read/XlsReaderOutput.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    XlsReaderResult result;
    if (!XlsReaderOutput::decode(bytes, ReadLimits{}, &result))
        return 0;
    // Whatever is accepted reads back the same once the child's own encoding writes it (a text may
    // go otherwise: shared or not, in one byte or two), and reads into a grid as into cells.
    XlsReaderResult again;
    if (!XlsReaderOutput::decode(XlsReaderOutput::encode(result), ReadLimits{}, &again) ||
        again.cells != result.cells || again.textBeyond != result.textBeyond || again.ok != result.ok ||
        again.error.text != result.error.text || again.error.kind != result.error.kind)
        __builtin_trap();
    CellGrid grid;
    XlsReaderOutput::Decoder decoder(ReadLimits{}, &grid);
    XlsReaderResult intoGrid;
    if (!decoder.feed(bytes) || !decoder.finish(&intoGrid) || !intoGrid.cells.isEmpty())
        __builtin_trap();
    for (const XlsCell &cell : std::as_const(result.cells))
        if (grid.text(cell.row, cell.column) != cell.text)
            __builtin_trap();
    return 0;
}
