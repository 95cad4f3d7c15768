// libFuzzer target: the .ods reader, on whole files and on the XML of its parts.
#include "FuzzPackage.h"

#include "excel/read/OdsReader.h"
#include "excel/read/ZippedWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzPackage(data, size,
                                         {{"content.xml", QByteArray()},
                                          {"META-INF/manifest.xml", "<manifest/>"},
                                          {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
    CellGrid grid;
    ReadZippedWorkbook<OdsReader>(bytes, ReadLimits{}, &grid, nullptr);
    return 0;
}
