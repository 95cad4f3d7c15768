#!/usr/bin/python3
"""Writes the legacy .xls fixtures of the workbook import tests with other programs.

The sources are written with openpyxl; LibreOffice (headless) computes their formulas and saves them
as .xls, .xlsx and .ods; gnumeric's ssconvert writes the error values and the Excel 95 (BIFF7)
workbook, under a GBK locale so that it carries code page 936. Run with Debian's python3 (with
python3-openpyxl, python3-xlwt and python3-olefile), libreoffice-calc-nogui and gnumeric; the files
are small and committed, so the tests need none of these:
    /usr/bin/python3 tools/make_xls_fixtures.py
What each file must import as is written down in tests/excel/FixtureImportTest.cpp; the 500-line quote
is bench/excel/quote500.xls.
"""
import datetime
import os
import shutil
import struct
import subprocess
import tempfile

import olefile
import openpyxl
from xlwt.CompoundDoc import XlsDoc

HEAD = ["项目", "内容", "表达式", "金额", None, "单价", "数量"]


def quote_sheet(ws, logical=True):
    # 金额 is 单价 × 数量 from columns the import does not read; the totals line is a formula too.
    # OpenDocument keeps a logical value as a number with a logical style, so the workbook saved in
    # all three formats has none.
    ws.append(HEAD)
    ws.append(["房", "锦江之星 标准间", "单价: 180 × 10间", "=F2*G2", None, 180, 10])
    ws.append(["餐", "团餐", "单价: 25.5 × 20人", "=F3*G3", None, 25.5, 20])
    ws.append(["门票", "=IF(G4>5,\"团体票\",\"散客票\")", "=1>2" if logical else "单价: 60 × 8人", "=F4*G4",
               None, 60, 8])
    ws.append(["日期", datetime.date(2024, 5, 1), "=DATE(2024,2,29)+0.5", "=\"\""])
    ws["B5"].number_format = "yyyy-mm-dd"
    ws["C5"].number_format = "yyyy-mm-dd hh:mm:ss"
    if logical:
        ws.append(["逻辑", True, False, "=AND(TRUE(),G4>5)"])
    last = ws.max_row
    total = ws.max_row + 1
    ws.append(['="合计："&SUM(D2:D%d)&"元/"&G%d&"人＝"&ROUND(SUM(D2:D%d)/G%d,2)&"元"' % (last, total, last, total),
               None, None, None, None, None, 8])


def error_sheet(ws):
    # Each error value twice: as a formula's result in 内容 and as a constant in 金额.
    ws.append(HEAD[:4])
    errors = [
        ("#NULL!", "=SUM(F1:F2 G3:G4)"),
        ("#DIV/0!", "=1/0"),
        ("#VALUE!", "=\"a\"+1"),
        ("#REF!", "=INDEX(F1:F2,5)"),
        ("#NAME?", "=NOSUCHFUNCTION(1)"),
        ("#NUM!", "=SQRT(-1)"),
        ("#N/A", "=NA()"),
    ]
    for name, formula in errors:
        ws.append(["错误", formula, None, name])
    ws.append(["房", None, None, 100])
    ws.append(["合计：100元/2人"])


def libreoffice(source, out_dir, filter_name):
    profile = tempfile.mkdtemp(prefix="lo-profile-")
    try:
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                        filter_name, "--outdir", out_dir, source], check=True, capture_output=True)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def records(stream):
    at = 0
    while at + 4 <= len(stream):
        kind, length = struct.unpack_from("<HH", stream, at)
        yield at, kind, length
        at += 4 + length


def make_first_sheet_a_chart(path):
    # LibreOffice has no chart sheets, so the first sheet it wrote is turned into one in place: its
    # BOUNDSHEET type byte and its BOF substream type, same lengths, so no stream offset moves.
    stream = bytearray(olefile.OleFileIO(path).openstream("Workbook").read())
    sheets = [at for at, kind, _ in records(stream) if kind == 0x0085]
    first = sheets[0]
    position = struct.unpack_from("<I", stream, first + 4)[0]
    stream[first + 4 + 5] = 0x02  # chart
    assert struct.unpack_from("<HH", stream, position)[0] == 0x0809
    struct.pack_into("<H", stream, position + 4 + 2, 0x0020)  # chart substream
    with open(path, "wb") as f:
        XlsDoc().save(f, bytes(stream))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = os.path.join(root, "tests", "excel", "fixtures")
    work = tempfile.mkdtemp(prefix="xls-fixtures-")
    try:
        # One source for .xls, .xlsx and .ods: the three readers must agree on it.
        wb = openpyxl.Workbook()
        quote_sheet(wb.active, logical=False)
        wb.active.title = "报价"
        source = os.path.join(work, "lo_quote.xlsx")
        wb.save(source)
        for kind in ["xls", "ods"]:
            libreoffice(source, work, kind)
        libreoffice(os.path.join(work, "lo_quote.ods"), os.path.join(work, "xlsx"), "xlsx")
        for name in ["lo_quote.xls", "lo_quote.ods", "xlsx/lo_quote.xlsx"]:
            shutil.copy(os.path.join(work, name), out_dir)

        # Error values: gnumeric keeps constants as such (LibreOffice writes them as formulas).
        wb = openpyxl.Workbook()
        error_sheet(wb.active)
        wb.active.title = "错误值"
        source = os.path.join(work, "errors.xlsx")
        wb.save(source)
        subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff8", source,
                        os.path.join(out_dir, "gnumeric_errors.xls")], check=True, capture_output=True)

        # A chart sheet before the quote; its substream still holds the cells "图表数据".
        wb = openpyxl.Workbook()
        wb.active.title = "图表"
        wb.active["A2"] = "图表数据"
        quote_sheet(wb.create_sheet("报价"))
        source = os.path.join(work, "lo_chart_first.xlsx")
        wb.save(source)
        libreoffice(source, work, "xls")
        make_first_sheet_a_chart(os.path.join(work, "lo_chart_first.xls"))
        shutil.copy(os.path.join(work, "lo_chart_first.xls"), out_dir)

        # Excel 95 with GBK texts: ssconvert writes the code page of its locale.
        wb = openpyxl.Workbook()
        quote_sheet(wb.active)
        wb.active.title = "报价"
        source = os.path.join(work, "gnumeric_biff5.xlsx")
        wb.save(source)
        locales = os.path.join(work, "locales")
        os.mkdir(locales)
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "GBK", os.path.join(locales, "zh_CN.GBK")], check=True)
        env = dict(os.environ, LOCPATH=locales, LC_ALL="zh_CN.GBK")
        subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff7", source,
                        os.path.join(out_dir, "gnumeric_biff5_gbk.xls")], check=True, env=env, capture_output=True)

        # 500 quote lines for the benchmark of the whole import.
        wb = openpyxl.Workbook()
        ws = wb.active
        ws.append(HEAD[:4])
        for k in range(1, 501):
            ws.append(["住宿", "第%d天 酒店标准间（含早）" % k, "单价: %d.50 × 12间 × 3天 × 2人" % (100 + k),
                       "=%d.5*72" % (100 + k)])
        ws.append(['="合计："&SUM(D2:D501)&"元/24人"'])
        source = os.path.join(work, "lo_quote500.xlsx")
        wb.save(source)
        libreoffice(source, work, "xls")
        shutil.copy(os.path.join(work, "lo_quote500.xls"), os.path.join(root, "bench", "excel", "quote500.xls"))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
