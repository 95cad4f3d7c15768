#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/ZipArchive.h"

#include <QByteArray>

// The zipped workbook formats share one shape: a reader made over an open archive and the limits,
// whose read() fills the grid or gives false and the error. This reads such a workbook held in memory.
template <class Reader>
bool ReadZippedWorkbook(const QByteArray &data, const ReadLimits &limits, CellGrid *grid, WorkbookError *error)
{
    *grid = CellGrid();
    ZipArchive archive;
    return archive.open(data, error) && Reader(archive, limits).read(grid, error);
}
