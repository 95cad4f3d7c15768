#include "TestZip.h"

#include <QFile>

#include <zip.h>

bool writeZipForTest(const QString &path, const QList<QPair<QString, QByteArray>> &entries)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, content] : entries) {
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0; // the buffers are read here, while entries still holds them
}

QByteArray entityBomb()
{
    QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY e0 \"报价报价报价报价\">";
    for (int level = 1; level <= 20; ++level) {
        dtd += "<!ENTITY e" + QByteArray::number(level) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&e" + QByteArray::number(level - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]>";
}

static const QByteArray SheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

Entries xlsx(const QByteArray &sheetData, const QByteArray &sharedStrings, const QByteArray &sheetProlog)
{
    QByteArray relationships =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!sharedStrings.isEmpty())
        relationships += "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    relationships += "</Relationships>";
    Entries entries{
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"xl/workbook.xml", "<workbook xmlns=\"" + SheetNs +
                                "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                "<sheets><sheet name=\"报价\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", relationships},
        {"xl/worksheets/sheet1.xml",
         sheetProlog + "<worksheet xmlns=\"" + SheetNs + "\"><sheetData>" + sheetData + "</sheetData></worksheet>"}};
    if (!sharedStrings.isEmpty())
        entries.append({"xl/sharedStrings.xml", "<sst xmlns=\"" + SheetNs + "\">" + sharedStrings + "</sst>"});
    return entries;
}

QByteArray inlineRow(int row, const QByteArray &a, const QByteArray &d)
{
    const QByteArray r = QByteArray::number(row);
    QByteArray xml = "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>" + a + "</t></is></c>";
    if (!d.isEmpty())
        xml += "<c r=\"D" + r + "\"><v>" + d + "</v></c>";
    return xml + "</row>";
}

Entries ods(const QByteArray &tableContent, const QByteArray &manifest)
{
    Entries entries{
        {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
        {"content.xml",
         "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\"><office:body>"
         "<office:spreadsheet><table:table table:name=\"a\">" +
             tableContent + "</table:table></office:spreadsheet></office:body></office:document-content>"}};
    if (!manifest.isEmpty())
        entries.append({"META-INF/manifest.xml", manifest});
    return entries;
}

QByteArray odsRow(const QByteArray &a, const QByteArray &d)
{
    QByteArray row = "<table:table-row><table:table-cell><text:p>" + a + "</text:p></table:table-cell>";
    if (!d.isEmpty())
        row += "<table:table-cell table:number-columns-repeated=\"2\"/><table:table-cell office:value-type=\"float\" "
               "office:value=\"" +
               d + "\"/>";
    return row + "</table:table-row>";
}
