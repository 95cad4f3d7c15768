#pragma once

#include "excel/WorkbookReader.h"
#include "excel/XlsReaderOutput.h"

#include <QByteArrayView>

// Reads the first worksheet of a legacy Excel workbook (BIFF5, BIFF7 or BIFF8 records in a compound
// file) from the file's bytes: the cells inside the limits, in row-major order, formula cells by the
// result the writer stored with them. A workbook it cannot read gives a Chinese message that names
// why: encrypted, damaged, an older format, or no worksheet.
XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits);
