#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"

#include <QString>

// Reads the first worksheet (by position) of a workbook file, whatever its name's extension says:
// the format is told from the content, and the reader of that format does the rest. The zipped
// formats are read as they decompress, within the budgets of the limits, whatever the file's size.
bool ReadFirstWorksheet(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error);
