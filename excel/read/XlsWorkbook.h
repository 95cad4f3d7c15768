#pragma once

#include "excel/read/ReadLimits.h"
#include "excel/read/XlsReaderOutput.h"

#include <QByteArrayView>

// Reads the first worksheet of a legacy Excel workbook (BIFF5, BIFF7 or BIFF8 records in a compound
// file) from the file's bytes: the cells inside the limits, in row-major order, formula cells by the
// result the writer stored with them. A workbook it cannot read gives a Chinese message that names
// why: encrypted, damaged, an older format, or no worksheet.
XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits);

// For bytes that start with the BOF record of Excel 2.x to 4.0, which kept a worksheet as bare
// records (no container), the refusal that names the version; empty for anything else.
QString OlderExcelRefusal(QByteArrayView head);
