#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadLimits.h"

#include <QString>

struct WorkbookError;

// Reads the first worksheet of a legacy .xls workbook (or a WPS .et, the same format) in a process
// of its own, quilvar-xls-reader, under limits of time and memory, so that a hostile file can end
// that process but never the program. Nothing the process hands back is trusted.
bool ReadXlsFile(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error);

// The reader program for programs that do not sit beside it: the tests, benchmarks and fuzzers of
// the build tree (XlsReaderInBuildTree.cpp). The shipped programs never call it.
void UseXlsReaderProgram(const QString &path);
