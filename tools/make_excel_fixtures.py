#!/usr/bin/python3
"""Writes the workbook fixtures of the Excel import tests with programs other than Quilvar.

Run with Debian's python3 (python3-openpyxl and python3-xlwt); the files are small and committed:
    /usr/bin/python3 tools/make_excel_fixtures.py tests/excel/fixtures
What each file must import as is written down in tests/excel/FixtureImportTest.cpp.
"""
import datetime
import os
import sys
import zipfile

import openpyxl
import xlwt

TOTALS = "合计：4300.3元/8人＝537.5375元"
FIXED_TIME = (2024, 5, 1, 0, 0, 0)


def write_openpyxl(path):
    # openpyxl names its parts with absolute targets (/xl/worksheets/sheet1.xml).
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "报价"
    ws.append(["项目", "内容", "表达式", "金额"])
    ws.append(["房", "  锦江之星 ", "单价: 180.00 × 10间 × 2天", 3600])
    ws.append(["餐", "团餐", "单价: 25.50 × 20人", 510.5])
    ws.append(["车", None, None, "1,200.00"])
    ws.append(["导游", "出发", datetime.date(2024, 5, 1), 0.1 + 0.2])
    ws["C5"].number_format = "yyyy-mm-dd"
    ws.append([TOTALS])
    ws.merge_cells("A6:D6")
    other = wb.create_sheet("Aaa")  # sorts first by name, but is not first by position
    other["A2"] = "不应读取"
    wb.save(path)


def write_xlwt(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Sheet1")
    date_style = xlwt.easyxf(num_format_str="YYYY-MM-DD")
    time_style = xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS")
    rows = [
        ["项目", "内容", "表达式", "金额"],
        ["  大交通", "机票 ", "单价: 1234.5 × 8人", 9876],
        ["景点门票", "故宫", "单价: 60 × 8人", 480.25],
        ["其它", "", "", -12.5],
    ]
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            ws.write(r, c, value)
    ws.write(4, 0, "综费")
    ws.write(4, 1, datetime.date(2024, 2, 29), date_style)
    ws.write(4, 2, datetime.datetime(2024, 5, 1, 8, 30, 0), time_style)
    ws.write(4, 3, 1.5e-5)
    ws.write_merge(5, 5, 0, 3, "合计：100元/12345人＝0.0081元")
    wb.add_sheet("Second").write(1, 0, "不应读取")
    wb.save(path)


def zip_write(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts:
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8"))


MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"


def write_handmade_xlsx(path):
    # What other writers do: a chart sheet listed first, relative targets with "..", rich text and
    # phonetic runs in shared strings, inline strings, cells without references, formula results,
    # logical and error values, East Asian built-in and custom date formats, escaped control characters.
    content_types = (
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '</Types>')
    root_rels = (
        f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PKG_REL_NS}">'
        f'<Relationship Id="rId1" Type="{REL_NS}/officeDocument" Target="book/main.xml"/>'
        '</Relationships>')
    workbook = (
        f'<?xml version="1.0" encoding="UTF-8"?><x:workbook xmlns:x="{MAIN_NS}" xmlns:rel="{REL_NS}">'
        '<x:workbookPr/><x:sheets>'
        '<x:sheet name="图表" sheetId="3" rel:id="rId9"/>'
        '<x:sheet name="数据" sheetId="1" rel:id="rId7"/>'
        '<x:sheet name="Another" sheetId="2" rel:id="rId8"/>'
        '</x:sheets></x:workbook>')
    workbook_rels = (
        f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PKG_REL_NS}">'
        f'<Relationship Id="rId9" Type="{REL_NS}/chartsheet" Target="charts/chart1.xml"/>'
        f'<Relationship Id="rId7" Type="{REL_NS}/worksheet" Target="./sheets/../sheets/data%20sheet.xml"/>'
        f'<Relationship Id="rId8" Type="{REL_NS}/worksheet" Target="/book/sheets/other.xml"/>'
        f'<Relationship Id="rId2" Type="{REL_NS}/sharedStrings" Target="../shared/strings.xml"/>'
        f'<Relationship Id="rId3" Type="{REL_NS}/styles" Target="styles.xml"/>'
        f'<Relationship Id="rId4" Type="{REL_NS}/hyperlink" Target="http://example.com/" TargetMode="External"/>'
        '</Relationships>')
    strings = (
        f'<?xml version="1.0" encoding="UTF-8"?><sst xmlns="{MAIN_NS}" count="6" uniqueCount="6">'
        '<si><t>项目</t></si>'
        '<si><r><rPr><b/></rPr><t>地接</t></r><r><t xml:space="preserve">社 </t></r>'
        '<rPh sb="0" eb="2"><t>ちせつ</t></rPh><phoneticPr fontId="1"/></si>'
        '<si><t>第一行_x000D_\n第二行</t></si>'
        '<si><t xml:space="preserve">  单价: 100 × 2天  </t></si>'
        '<si><t>不应读取</t></si>'
        '<si><t>合计：_x005F_x0041_元/2.5人＝元</t></si>'
        '</sst>')
    styles = (
        f'<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="{MAIN_NS}">'
        '<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>'
        '<numFmt numFmtId="165" formatCode="#,##0.00&quot;元&quot;;[Red]\\-#,##0.00"/></numFmts>'
        '<cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>'
        '<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="31"/><xf numFmtId="165"/>'
        '<xf numFmtId="20"/></cellXfs>'
        '</styleSheet>')
    sheet = (
        f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{MAIN_NS}"><sheetData>'
        '<row r="1"><c r="A1" t="s"><v>0</v></c></row>'
        '<row r="2"><c t="s"><v>1</v></c><c t="inlineStr"><is><r><t>行</t></r><r><t xml:space="preserve">程 </t></r></is></c>'
        '<c t="s"><v>3</v></c><c s="3"><v>1234.5</v></c><c r="F2" t="s"><v>4</v></c></row>'
        '<row r="4"><c r="A4" t="str"><f>"餐"&amp;""</f><v>餐</v></c><c r="B4" t="s"><v>2</v></c>'
        '<c r="C4" t="b"><v>1</v></c><c r="D4" t="e"><v>#DIV/0!</v></c></row>'
        '<row r="5"><c r="A5" s="1"><v>45413</v></c><c r="B5" s="2"><v>45413.5</v></c>'
        '<c r="C5" s="4"><v>0.75</v></c><c r="D5"><v>123456789012.345678</v></c></row>'
        '<row r="6"><c r="A6" t="s"><v>5</v></c></row>'
        '<row r="7"><c r="A7" t="s"><v>4</v></c></row>'
        '</sheetData><mergeCells count="1"><mergeCell ref="A6:D6"/></mergeCells></worksheet>')
    other = (
        f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{MAIN_NS}"><sheetData>'
        '<row r="2"><c r="A2" t="s"><v>4</v></c></row></sheetData></worksheet>')
    zip_write(path, [
        ("[Content_Types].xml", content_types),
        ("_rels/.rels", root_rels),
        ("book/main.xml", workbook),
        ("book/_rels/main.xml.rels", workbook_rels),
        ("book/sheets/data sheet.xml", sheet),
        ("book/sheets/other.xml", other),
        ("shared/strings.xml", strings),
        ("book/styles.xml", styles),
    ])


OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"


def write_ods(path):
    # As LibreOffice writes it: blanks as <text:s/>, header rows in their own group, repeated rows
    # and cells, a merged totals row with covered cells, comments inside cells, typed values.
    content = (
        f'<?xml version="1.0" encoding="UTF-8"?>'
        f'<office:document-content xmlns:office="{OFFICE}" xmlns:table="{TABLE}" xmlns:text="{TEXT}" office:version="1.2">'
        '<office:body><office:spreadsheet>'
        '<table:table table:name="报价单">'
        '<table:table-column table:number-columns-repeated="4"/>'
        '<table:table-header-rows><table:table-row>'
        '<table:table-cell office:value-type="string"><text:p>项目</text:p></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>内容</text:p></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>表达式</text:p></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>金额</text:p></table:table-cell>'
        '</table:table-row></table:table-header-rows>'
        '<table:table-row>'
        '<table:table-cell office:value-type="string"><text:p><text:s text:c="2"/>房<text:s/></text:p></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>如家<text:tab/>快捷   酒店<text:line-break/>二楼</text:p>'
        '<text:p><text:span>第二段</text:span></text:p>'
        '<office:annotation><text:p>批注不应读取</text:p></office:annotation></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>单价: 200 × 5间</text:p></table:table-cell>'
        '<table:table-cell office:value-type="float" office:value="1000"><text:p>1,000.00</text:p></table:table-cell>'
        '</table:table-row>'
        '<table:table-row table:number-rows-repeated="2">'
        '<table:table-cell office:value-type="string" table:number-columns-repeated="2"><text:p>餐</text:p></table:table-cell>'
        '<table:table-cell/>'
        '<table:table-cell office:value-type="currency" office:currency="CNY" office:value="12.5"><text:p>¥12.50</text:p></table:table-cell>'
        '</table:table-row>'
        '<table:table-row-group><table:table-row>'
        '<table:table-cell office:value-type="date" office:date-value="2024-05-01"><text:p>2024/5/1</text:p></table:table-cell>'
        '<table:table-cell office:value-type="date" office:date-value="2024-05-01T08:30:00"><text:p>x</text:p></table:table-cell>'
        '<table:table-cell office:value-type="boolean" office:boolean-value="true"><text:p>TRUE</text:p></table:table-cell>'
        '<table:table-cell office:value-type="percentage" office:value="0.125"><text:p>12.5%</text:p></table:table-cell>'
        '<table:table-cell office:value-type="string"><text:p>E列</text:p></table:table-cell>'
        '</table:table-row>'
        '<table:table-row>'
        '<table:table-cell office:value-type="time" office:time-value="PT36H05M00S"><text:p>36:05</text:p></table:table-cell>'
        '<table:table-cell office:value-type="float" office:value="0.30000000000000004"><text:p>0.3</text:p></table:table-cell>'
        '</table:table-row></table:table-row-group>'
        '<table:table-row>'
        '<table:table-cell table:number-columns-spanned="4" office:value-type="string"><text:p>合计：1037.5元/6人＝172.9167元</text:p></table:table-cell>'
        '<table:covered-table-cell table:number-columns-repeated="3"/>'
        '</table:table-row>'
        '<table:table-row table:number-rows-repeated="1048568"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>'
        '</table:table>'
        '<table:table table:name="第二页"><table:table-row><table:table-cell office:value-type="string"><text:p>不应读取</text:p></table:table-cell></table:table-row></table:table>'
        '</office:spreadsheet></office:body></office:document-content>')
    manifest = (
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
        '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
        '</manifest:manifest>')
    zip_write(path, [
        ("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
        ("content.xml", content),
        ("META-INF/manifest.xml", manifest),
    ])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "tests", "excel", "fixtures")
    os.makedirs(out, exist_ok=True)
    write_openpyxl(os.path.join(out, "openpyxl_quote.xlsx"))
    write_xlwt(os.path.join(out, "xlwt_quote.xls"))
    write_handmade_xlsx(os.path.join(out, "handmade_quote.xlsx"))
    write_ods(os.path.join(out, "handmade_quote.ods"))


if __name__ == "__main__":
    main()
