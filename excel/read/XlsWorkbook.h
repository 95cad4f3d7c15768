#pragma once

#include "excel/read/ReadLimits.h"
#include "excel/read/XlsReaderOutput.h"

#include <QByteArrayView>

#include <functional>

// Reads the first worksheet of a legacy Excel workbook (BIFF5, BIFF7 or BIFF8 records in a compound
// file) from the file's bytes: the cells inside the limits, in row-major order, formula cells by the
// result the writer stored with them. A workbook it cannot read gives a Chinese message that names
// why: encrypted, damaged, an older format, or no worksheet.
XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits);

// Where the cells of a reading go once it is over and has found no fault: how many hold text, then
// each of them, 1-based, in row-major order. The text is the sink's to copy during the call;
// shared when other cells have the same text at the same place, which stays there until the
// reading returns.
struct XlsCellSink
{
    std::function<void(qsizetype count)> begin;
    std::function<void(int row, int column, QStringView text, bool shared)> cell;
};

// The same reading, the cells handed to sink rather than gathered in the result.
XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits, const XlsCellSink &sink);

// For bytes that start with the BOF record of Excel 2.x to 4.0, which kept a worksheet as bare
// records (no container), the refusal that names the version; empty for anything else.
QString OlderExcelRefusal(QByteArrayView head);
