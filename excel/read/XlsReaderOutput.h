#pragma once

#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Legacy .xls workbooks are read in a separate process, quilvar-xls-reader, under limits of time and
// memory, so that no hostile file can take the program down with it. The child writes what it read to its standard
// output in this format; the program trusts none of it.
//
// Binary, integers little-endian:
//   "QVXL", version (1 byte, 4), kind (1 byte: 0 cells, 1 error)
//   cells: count (u32), then per cell row (u32, 1-based), column (u32, 1-based), length in UTF-16
//          units (u32), the text in UTF-16 (every surrogate paired);
//          rows and columns within the limits, cells in strictly increasing row-major order; then
//          1 byte: 1 when a cell below the rows asked for holds something, else 0
//   error: the error's kind (1 byte, WorkbookError::Kind), length (u32), UTF-8 message of at most
//          MaxErrorBytes bytes
// and nothing after. The child exits with 0 after cells, with 1 after an error.

struct XlsCell
{
    int row = 0;
    int column = 0;
    QString text;

    bool operator==(const XlsCell &other) const = default;
};

struct XlsReaderResult
{
    bool ok = false;
    QList<XlsCell> cells;    // when ok
    bool textBeyond = false; // a cell below the rows asked for holds something
    WorkbookError error;     // when not ok
};

namespace XlsReaderOutput {

constexpr int Version = 4;
constexpr qsizetype MaxErrorBytes = 4096;

QByteArray encode(const XlsReaderResult &result);
// False for anything that is not exactly one well-formed result inside the limits.
bool decode(const QByteArray &bytes, const ReadLimits &limits, XlsReaderResult *result);

} // namespace XlsReaderOutput
