#!/usr/bin/python3
"""The export of the largest quote beside openpyxl's write-only mode writing the same cells.

Makes a quote of 32,766 lines (openpyxl writes the .xlsx), has quilvar-batch import it, then, one
run after another, alternating:
  - quilvar-batch --import (the import alone) and quilvar-batch --import --export: the export's
    processor time is the difference of their medians (user + system of the whole process);
  - python3 with openpyxl in write-only mode writing the same cells (the header in bold 黑体, every
    cell bordered, the amounts as numbers, the column widths, A4 one page wide with the header row
    on every page, the totals row), its processor time taken inside Python around the writing
    alone (interpreter start-up, the module import and reading the cells left out, in its favour;
    write-only mode cannot merge the totals row, also in its favour).
It prints both medians, the ratio (target: at least 5) and the machine's load average, and checks
that the exported workbook imports back to the same sheet.

Installs nothing: it needs python3-openpyxl (Debian) and says so when it is missing.

  /usr/bin/python3 bench/excel/compare-export.py build/bench/app/quilvar-batch [--runs 5]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import importlib

# The same 32,766-line quote as the readers' comparison writes.
sys.dont_write_bytecode = True  # no cache folder left in the source tree
make_xlsx = importlib.import_module("compare-readers").make_xlsx

OPENPYXL_WRITE = r"""
import json, re, sys, time
import openpyxl
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import Border, Font, Side

sheet = json.load(open(sys.argv[1], encoding="utf-8"))
plain = re.compile(r"-?[0-9]+(\.[0-9]+)?$")
start = time.process_time()
book = openpyxl.Workbook(write_only=True)
ws = book.create_sheet("Sheet1")
thin = Side(style="thin")
border = Border(left=thin, right=thin, top=thin, bottom=thin)
bold = Font(name="黑体", bold=True)
for column, width in zip("ABCD", (10, 20, 40, 10)):
    ws.column_dimensions[column].width = width
ws.page_setup.paperSize = 9
ws.page_setup.fitToWidth = 1
ws.page_setup.fitToHeight = 0
ws.sheet_properties.pageSetUpPr.fitToPage = True
ws.print_title_rows = "1:1"

def cell(value, font=None):
    c = WriteOnlyCell(ws, value=value)
    c.border = border
    if font is not None:
        c.font = font
    return c

ws.append([cell(text, bold) for text in ("项目", "内容", "表达式", "金额")])
for row in sheet["rows"]:
    amount = row["amount"]
    if not row["included"] or not amount.strip():
        continue
    ws.append([cell(row["category"] or None), cell(row["content"] or None), cell(row["expression"] or None),
               cell(float(amount) if plain.match(amount) else amount)])
totals = "合计：%s元/%s人＝%s元" % (sheet["total"], sheet["headcount"], sheet["perhead"])
ws.append([cell(totals), cell(None), cell(None), cell(None)])
book.save(sys.argv[2])
print((time.process_time() - start) * 1000)
"""


def processor_ms(command):
    """Processor milliseconds (user + system) of the whole process and its children."""
    before = os.times()
    with open(os.devnull, "wb") as null:
        subprocess.run(command, check=True, stdout=null)
    after = os.times()
    return ((after.children_user - before.children_user) + (after.children_system - before.children_system)) * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("batch", help="the quilvar-batch executable (a Release build)")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    try:
        import openpyxl  # noqa: F401
    except ImportError:
        sys.exit("missing: python3-openpyxl (apt-get install python3-openpyxl); nothing measured")

    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "quote32766.xlsx")
        cells = os.path.join(scratch, "cells.json")
        exported = os.path.join(scratch, "exported.xlsx")
        theirs = os.path.join(scratch, "openpyxl.xlsx")
        make_xlsx(source)
        sheet = subprocess.run([args.batch, "--import", source, "--json"], check=True, capture_output=True).stdout
        with open(cells, "wb") as out:
            out.write(sheet)
        exported_lines = sum(1 for row in json.loads(sheet)["rows"] if row["included"] and row["amount"].strip())

        importing, exporting, openpyxl_ms = [], [], []
        for _ in range(args.runs):
            importing.append(processor_ms([args.batch, "--import", source]))
            exporting.append(processor_ms([args.batch, "--import", source, "--export", exported]))
            run = subprocess.run(["/usr/bin/python3", "-c", OPENPYXL_WRITE, cells, theirs], check=True,
                                 capture_output=True, text=True)
            openpyxl_ms.append(float(run.stdout))
        load = os.getloadavg()

        back = subprocess.run([args.batch, "--import", exported, "--json"], check=True, capture_output=True).stdout
        ours = statistics.median(exporting) - statistics.median(importing)
        theirs_ms = statistics.median(openpyxl_ms)
        print("export of %d lines, processor time (user + system), median of %d, load average %.2f %.2f %.2f:"
              % (exported_lines, args.runs, *load))
        print("  quilvar-batch: import + export %.0f ms - import %.0f ms = export %.0f ms"
              % (statistics.median(exporting), statistics.median(importing), ours))
        print("  openpyxl write-only, the same cells: %.0f ms" % theirs_ms)
        print("  ratio %.1fx (target at least 5x)" % (theirs_ms / ours))
        print("  exported workbook %d bytes; it imports back to %s" % (
            os.path.getsize(exported), "the same sheet" if back == sheet else "A DIFFERENT SHEET"))
        return 0 if back == sheet else 1


if __name__ == "__main__":
    sys.exit(main())
