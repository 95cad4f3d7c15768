#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadLimits.h"

class ZipArchive;
class XmlPart;
struct WorkbookError;

// Reads the first table of an OpenDocument spreadsheet (.ods) while content.xml decompresses: the
// cells inside the limits, repeated rows and cells spread out, row groups nested to any depth
// walked without recursion. A document saved with a password is refused.
class OdsReader
{
public:
    OdsReader(const ZipArchive &archive, const ReadLimits &limits);
    bool read(CellGrid *grid, WorkbookError *error);

private:
    bool checkMimeType(WorkbookError *error);
    bool refuseEncrypted(WorkbookError *error);
    bool readContent(CellGrid *grid, WorkbookError *error);
    // Each false once the budget has run out.
    bool readRows(XmlPart &part, CellGrid *grid);
    bool readRow(XmlPart &part, CellGrid *grid);

    const ZipArchive &m_archive;
    ReadLimits m_limits;
    ReadBudget m_budget;
    qint64 m_row = 0; // rows passed so far
    int m_rowsBeyond = 0;
    bool m_done = false;
};
