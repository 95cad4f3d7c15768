#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"

#include <QString>

// Reads the first worksheet (by position) of a workbook file, whatever its name's extension says:
// the format is told from the content, and the reader of that format does the rest.
bool ReadFirstWorksheet(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error);

// The largest workbook file that is read at all.
constexpr qint64 MaxWorkbookFileSize = 100 * 1024 * 1024;
