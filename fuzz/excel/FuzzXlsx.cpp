// libFuzzer target: the .xlsx reader, on whole files and on the XML of its parts.
#include "FuzzPackage.h"

#include "excel/read/XlsxReader.h"
#include "excel/read/ZippedWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // In the order the input gives them: the sheet first, where most of the reading happens.
    const QByteArray bytes = FuzzPackage(
        data, size,
        {{"xl/worksheets/sheet1.xml", QByteArray()},
         {"xl/sharedStrings.xml", QByteArray()},
         {"xl/styles.xml", QByteArray()},
         {"xl/workbook.xml", "<workbook xmlns:r=\"r\"><workbookPr/><sheets><sheet r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"rId1\" Type=\"/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
          "<Relationship Id=\"rId2\" Type=\"/sharedStrings\" Target=\"sharedStrings.xml\"/>"
          "<Relationship Id=\"rId3\" Type=\"/styles\" Target=\"/xl/styles.xml\"/></Relationships>"},
         {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"/officeDocument\" "
                         "Target=\"xl/workbook.xml\"/></Relationships>"}});
    CellGrid grid;
    ReadZippedWorkbook<XlsxReader>(bytes, ReadLimits{}, &grid, nullptr);
    return 0;
}
