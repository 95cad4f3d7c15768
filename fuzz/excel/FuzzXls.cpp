// libFuzzer target: the .xls reader on any bytes. freexl runs in quilvar-xls-reader, so this proves
// that no workbook takes the program down, whatever becomes of the child; it runs a process per input.
#include "excel/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryFile file(QDir::tempPath() + QStringLiteral("/fuzz_xls_XXXXXX.xls"));
    if (!file.isOpen() && !file.open())
        return 0;
    file.resize(0);
    file.seek(0);
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.flush();
    CellGrid grid;
    QString error;
    if (!ReadXlsFile(file.fileName(), ReadLimits{}, &grid, &error) && error.isEmpty())
        __builtin_trap(); // a failure must always say why
    return 0;
}
