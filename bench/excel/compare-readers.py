#!/usr/bin/python3
"""The import of the largest quote beside the readers a user could pick instead.

Makes a quote of 32,766 lines (openpyxl writes the .xlsx; Gnumeric's ssconvert, else LibreOffice,
converts it to .xls and .ods), then has each reader read the first sheet's columns A-D down to the
合计 row, one run after another, alternating, and prints the processor time of each whole process
(user + system, its children included: it does not depend on how busy the machine is), the ratio
of each reader to quilvar-batch and quilvar-batch's peak memory.

Installs nothing. It uses what is there and names what is missing:
  python3-openpyxl, python3-xlrd (Debian), gnumeric (ssconvert), node with SheetJS installed into a
  scratch folder (cd /tmp/sheetjs && npm install xlsx; pass --sheetjs /tmp/sheetjs).

  /usr/bin/python3 bench/excel/compare-readers.py build/bench/app/quilvar-batch [--runs 5] [--sheetjs DIR]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

LINES = 32766
CATEGORIES = ["房", "餐", "车", "导游", "大交通", "地接社", "景点门票", "综费", "其它"]

OPENPYXL = """
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets[0]
for row in ws.iter_rows(min_row=2, max_col=4, values_only=True):
    if str(row[0] or "").startswith("合计"):
        break
"""

XLRD = """
import sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1], on_demand=True).sheet_by_index(0)
for r in range(1, sheet.nrows):
    row = [sheet.cell_value(r, c) for c in range(min(4, sheet.ncols))]
    if str(row[0]).startswith("合计"):
        break
"""

SHEETJS = """
const XLSX = require(process.argv[1] + '/node_modules/xlsx');
const wb = XLSX.readFile(process.argv[2]);
const rows = XLSX.utils.sheet_to_json(wb.Sheets[wb.SheetNames[0]], {header: 1, range: 1});
for (const row of rows) { if (String(row[0] || '').startsWith('合计')) break; }
"""


def make_xlsx(path):
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Sheet1"
    sheet.append(["项目", "内容", "表达式", "金额"])
    for k in range(1, LINES + 1):
        sheet.append([CATEGORIES[k % len(CATEGORIES)], "第%d天 酒店标准间（含早）" % k,
                      "单价: %d.50 × 12间 × 3天 × 2人" % (100 + k), k * 108 + 0.5])
    sheet.append(["合计：%s元/24人＝%s元" % (LINES * 100, LINES * 4)])
    book.save(path)


def convert(source, target):
    """The .xlsx as .xls or .ods, by ssconvert or LibreOffice; None when neither is there."""
    if shutil.which("ssconvert"):
        subprocess.run(["ssconvert", source, target], check=True, capture_output=True)
        return target
    if shutil.which("soffice"):
        kind = os.path.splitext(target)[1][1:]
        subprocess.run(["soffice", "--headless", "--convert-to", kind, "--outdir", os.path.dirname(target), source],
                       check=True, capture_output=True)
        return target
    return None


def run(command):
    """Processor seconds (user + system) of the whole process and its children, and its peak memory."""
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        error = child.stderr.read()
    if child.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (command[0], child.returncode, error.decode(errors="replace")[:300]))
    # wait4 counts the process and the children it waited for (the .xls reader's child, node's
    # workers, ssconvert's helpers).
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def readers(args, kind):
    python = "/usr/bin/python3"
    found = {}
    if kind == "xlsx" and subprocess.run([python, "-c", "import openpyxl"], capture_output=True).returncode == 0:
        found["openpyxl (read-only)"] = lambda f: [python, "-c", OPENPYXL, f]
    if kind == "xls" and subprocess.run([python, "-c", "import xlrd"], capture_output=True).returncode == 0:
        found["xlrd"] = lambda f: [python, "-c", XLRD, f]
    if args.sheetjs and shutil.which("node") and os.path.isdir(os.path.join(args.sheetjs, "node_modules", "xlsx")):
        found["SheetJS (node)"] = lambda f: ["node", "-e", SHEETJS, "--", os.path.abspath(args.sheetjs), f]
    if shutil.which("ssconvert"):
        found["ssconvert to CSV"] = lambda f: ["ssconvert", "-T", "Gnumeric_stf:stf_csv", f,
                                               os.path.join(os.path.dirname(f), "out.csv")]
    return found


def compare(args, kind, path):
    peers = readers(args, kind)
    ours, peak = [], 0.0
    theirs = {name: [] for name in peers}
    for _ in range(args.runs):
        seconds, megabytes = run([args.batch, "--import", path])
        ours.append(seconds)
        peak = max(peak, megabytes)
        for name, command in peers.items():
            theirs[name].append(run(command(path))[0])
    mine = statistics.median(ours)
    print("\n.%s, %d lines (%.1f MB file): quilvar-batch %.0f ms, peak memory %.1f MB (target 64 MB)"
          % (kind, LINES, os.path.getsize(path) / 1048576.0, mine * 1000, peak))
    fastest = None
    for name, times in theirs.items():
        t = statistics.median(times)
        fastest = t if fastest is None else min(fastest, t)
        print("  %-22s %7.0f ms  %5.1fx" % (name, t * 1000, t / mine))
    if fastest is not None:
        print("  fastest peer / quilvar-batch: %.1fx (target at least 10x)" % (fastest / mine))
    else:
        print("  no peer reader is installed for .%s" % kind)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("batch", help="the quilvar-batch executable")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--sheetjs", help="a folder into which `npm install xlsx` was run")
    parser.add_argument("--keep", help="make the workbooks here and keep them")
    args = parser.parse_args()
    args.batch = os.path.abspath(args.batch)
    folder = args.keep or tempfile.mkdtemp(prefix="quilvar-compare-")
    os.makedirs(folder, exist_ok=True)
    xlsx = os.path.join(folder, "quote%d.xlsx" % LINES)
    if not os.path.exists(xlsx):
        # Made by a process of its own: a child's peak memory counts what it was forked from, and
        # this one, once it had loaded openpyxl and built the workbook, held 84 MB.
        subprocess.run([sys.executable, os.path.abspath(__file__), "--make-xlsx", xlsx], check=True)
    print("load average at the start: %.2f %.2f %.2f" % os.getloadavg())
    # What any run of quilvar-batch costs before it reads a byte: the start of the process.
    floor = statistics.median(run([args.batch, "--help"])[0] for _ in range(max(3, args.runs)))
    print("quilvar-batch --help (the process floor): %.0f ms" % (floor * 1000))
    for kind in ("xlsx", "xls", "ods"):
        path = xlsx if kind == "xlsx" else os.path.join(folder, "quote%d.%s" % (LINES, kind))
        if not os.path.exists(path) and not convert(xlsx, path):
            print("\n.%s: neither ssconvert nor soffice is installed to make it" % kind)
            continue
        compare(args, kind, path)
    print("\nload average at the end: %.2f %.2f %.2f" % os.getloadavg())
    if not args.keep:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--make-xlsx":
        sys.exit(make_xlsx(sys.argv[2]))
    sys.exit(main())
