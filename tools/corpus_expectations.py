#!/usr/bin/python3
"""Writes what other readers see in the workbooks of ../shared/corpus: the texts of the first
worksheet's rows 2 to 501, columns A to D, in the conventions of Quilvar's import (numbers in
their shortest form with at most 15 significant digits, dates and times in ISO form, TRUE/FALSE,
error texts as shown), or the reason a file is refused.

    /usr/bin/python3 tools/corpus_expectations.py ../shared/corpus/calamine > tests/excel/read/corpus/expected.txt

.xlsx/.xlsm are read with openpyxl, .xls with xlrd, .ods with odfpy (Debian's python3-openpyxl,
python3-xlrd, python3-odf). The output is committed as the corpus test's data; the test never runs
this tool.

Format: a line "== file" per workbook, then either "refused: reason" (a word the import's message
must contain) or "any" (the readers here fail on it: the import may read or refuse it, but must not
crash), or one line per non-empty row: the row number and the four texts, tab-separated, with
backslash, tab, CR and LF written as \\\\, \\t, \\r and \\n.
"""

import datetime
import math
import os
import re
import sys
import zipfile

FIRST_ROW, LAST_ROW, COLUMNS = 2, 501, 4


def number_text(value):
    """The shortest decimal form with at most 15 significant digits."""
    if value != value or value == 0:
        return "0"
    if math.isinf(value):
        return ("-" if value < 0 else "") + "1E+309"
    sign = "-" if value < 0 else ""
    mantissa, exponent = ("%.14e" % abs(value)).split("e")
    digits = mantissa.replace(".", "").rstrip("0") or "0"
    exponent = int(exponent)
    if exponent >= 15 or exponent < -4:
        text = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        return "%s%sE%s%02d" % (sign, text, "-" if exponent < 0 else "+", abs(exponent))
    if exponent < 0:
        return sign + "0." + "0" * (-exponent - 1) + digits
    if len(digits) <= exponent + 1:
        return sign + digits + "0" * (exponent + 1 - len(digits))
    return sign + digits[: exponent + 1] + "." + digits[exponent + 1 :]


def format_kind(code):
    """(has date, has time) of a number format code, by its first section."""
    date = time = month = False
    i = 0
    while i < len(code):
        c = code[i]
        if c == ";":
            break
        if c == '"':
            close = code.find('"', i + 1)
            if close < 0:
                break
            i = close
        elif c in "\\_*":
            i += 1
        elif c == "[":
            close = code.find("]", i + 1)
            if close < 0:
                break
            inside = code[i + 1 : close].lower()
            if inside and any(inside == ch * len(inside) for ch in "hms"):
                time = True
            i = close
        else:
            low = c.lower()
            if low in "yd":
                date = True
            elif low in "hs":
                time = True
            elif low == "m":
                month = True
        i += 1
    if month and not time:
        date = True
    return date, time


BUILTIN_FORMATS = {14: "yyyy-mm-dd", 22: "yyyy-mm-dd hh:mm", 45: "mm:ss", 46: "[h]:mm:ss", 47: "mmss.0"}
for _id in list(range(15, 18)) + list(range(27, 32)) + [36] + list(range(50, 59)):
    BUILTIN_FORMATS[_id] = "yyyy-mm-dd"
for _id in list(range(18, 22)) + list(range(32, 36)):
    BUILTIN_FORMATS[_id] = "hh:mm:ss"


def is_elapsed(code):
    """Whether a format shows elapsed time ([h]:mm:ss), hours running past 24 rather than days."""
    section = code.split(";", 1)[0].lower()
    return re.search(r"\[(h+|m+|s+)\]", section) is not None


def elapsed_text(days):
    total = int(math.floor(abs(days) * 86400.0 + 0.5))
    return "%s%02d:%02d:%02d" % ("-" if days < 0 else "", total // 3600, total // 60 % 60, total % 60)


def serial_text(serial, date1904, has_date, has_time):
    if not math.isfinite(serial) or serial < 0 or serial >= 2958466:
        return number_text(serial)
    total = int(math.floor(serial * 86400.0 + 0.5))
    days, seconds = divmod(total, 86400)
    clock = "%02d:%02d:%02d" % (seconds // 3600, seconds // 60 % 60, seconds % 60)
    if not has_date and days == 0:
        return clock
    if date1904:
        day = datetime.date(1904, 1, 1) + datetime.timedelta(days=days)
    elif days == 60:
        day = None
    elif days < 60:
        day = datetime.date(1899, 12, 31) + datetime.timedelta(days=days)
    else:
        day = datetime.date(1899, 12, 30) + datetime.timedelta(days=days)
    day_text = "1900-02-29" if day is None else day.isoformat()
    if seconds == 0 and not has_time:
        return day_text
    return day_text + " " + clock


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


# --- .xlsx -------------------------------------------------------------------------------------

XLSX_ERRORS = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA"}


STRICT_NAMESPACES = [
    (b"http://purl.oclc.org/ooxml/spreadsheetml/main", b"http://schemas.openxmlformats.org/spreadsheetml/2006/main"),
    (b"http://purl.oclc.org/ooxml/officeDocument/relationships", b"http://schemas.openxmlformats.org/officeDocument/2006/relationships"),
]


def transitional_copy(path):
    """The package with strict-OOXML namespaces and backslashed entry names made transitional, for
    openpyxl, which reads neither (spreadsheet programs read both)."""
    import io

    out = io.BytesIO()
    with zipfile.ZipFile(path) as source, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for info in source.infolist():
            data = source.read(info)
            for strict, transitional in STRICT_NAMESPACES:
                data = data.replace(strict, transitional)
            target.writestr(info.filename.replace("\\", "/"), data)
    out.seek(0)
    return out


def xlsx_rows(path):
    import openpyxl
    from openpyxl.utils.datetime import to_excel

    with zipfile.ZipFile(path) as package:
        names = package.namelist()
        repair = any("\\" in n for n in names) or any(
            strict in package.read(n) for n in names if n.endswith(".xml") for strict, _ in STRICT_NAMESPACES
        )
    book = openpyxl.load_workbook(transitional_copy(path) if repair else path, data_only=True, read_only=False)
    sheet = book.worksheets[0]
    date1904 = book.epoch == openpyxl.utils.datetime.MAC_EPOCH
    rows = {}
    for row in sheet.iter_rows(min_row=FIRST_ROW, max_row=LAST_ROW, max_col=COLUMNS):
        for cell in row:
            value = cell.value
            if value is None:
                continue
            if isinstance(value, bool):
                text = "TRUE" if value else "FALSE"
            elif isinstance(value, (int, float)):
                text = number_text(float(value))
            elif isinstance(value, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
                if isinstance(value, datetime.timedelta):
                    serial = value.total_seconds() / 86400.0
                else:
                    serial = to_excel(value, book.epoch)
                has_date, has_time = format_kind(cell.number_format)
                if not (has_date or has_time):
                    has_date = True
                if is_elapsed(cell.number_format):
                    text = elapsed_text(serial)
                else:
                    text = serial_text(serial, date1904, has_date, has_time)
            else:
                text = str(value)
            if text:
                rows.setdefault(cell.row, [""] * COLUMNS)[cell.column - 1] = text
    return rows


# --- .xls --------------------------------------------------------------------------------------


def xls_rows(path):
    import xlrd

    book = xlrd.open_workbook(path, formatting_info=True, on_demand=True, logfile=sys.stderr)
    sheet = book.sheet_by_index(0)
    rows = {}
    for r in range(FIRST_ROW - 1, min(sheet.nrows, LAST_ROW)):
        for c in range(min(sheet.row_len(r), COLUMNS)):
            cell = sheet.cell(r, c)
            kind = cell.ctype
            if kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            if kind == xlrd.XL_CELL_TEXT:
                text = cell.value
            elif kind == xlrd.XL_CELL_BOOLEAN:
                text = "TRUE" if cell.value else "FALSE"
            elif kind == xlrd.XL_CELL_ERROR:
                text = xlrd.error_text_value.get(cell.value, "#N/A")
            elif kind == xlrd.XL_CELL_DATE:
                xf = book.xf_list[cell.xf_index]
                code = book.format_map[xf.format_key].format_str
                has_date, has_time = format_kind(code)
                if not (has_date or has_time):
                    has_date = True
                if is_elapsed(code):
                    text = elapsed_text(cell.value)
                else:
                    text = serial_text(cell.value, book.datemode == 1, has_date, has_time)
            else:
                text = number_text(cell.value)
            if text:
                rows.setdefault(r + 1, [""] * COLUMNS)[c] = text
    return rows


# --- .ods --------------------------------------------------------------------------------------

TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
CALCEXT = "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"


def ods_paragraph(element, state):
    """The text of a paragraph: blanks collapse to one, text:s/tab/line-break as written."""
    out = []
    for node in element.childNodes:
        if node.nodeType == node.TEXT_NODE:
            for ch in node.data:
                if ch in " \t\r\n":
                    if not state["blank"]:
                        out.append(" ")
                    state["blank"] = True
                else:
                    out.append(ch)
                    state["blank"] = False
        elif node.nodeType == node.ELEMENT_NODE:
            ns, name = node.qname
            if ns == TEXT and name == "s":
                count = node.attributes.get((TEXT, "c"), "1")
                out.append(" " * max(1, int(count)))
                state["blank"] = False
            elif ns == TEXT and name == "tab":
                out.append("\t")
                state["blank"] = False
            elif ns == TEXT and name == "line-break":
                out.append("\n")
                state["blank"] = False
            elif ns == TEXT and name not in ("ruby-text", "note"):
                out.append(ods_paragraph(node, state))  # spans, links, ruby bases, fields
    return "".join(out)


def iso_duration_text(value):
    match = re.fullmatch(r"(-?)P(?:(\d+(?:\.\d+)?)D)?T?(?:(\d+(?:\.\d+)?)H)?(?:(\d+(?:\.\d+)?)M)?(?:(\d+(?:\.\d+)?)S)?", value)
    if not match:
        return value
    sign, d, h, m, s = match.groups()
    seconds = float(d or 0) * 86400 + float(h or 0) * 3600 + float(m or 0) * 60 + float(s or 0)
    total = int(math.floor(seconds + 0.5))
    return "%s%02d:%02d:%02d" % (sign, total // 3600, total // 60 % 60, total % 60)


def iso_date_text(value):
    value = value.strip()
    date, _, clock = value.partition("T")
    if not clock:
        return date
    clock = clock[:8]
    return date if clock == "00:00:00" else date + " " + clock


def ods_cell_text(cell):
    attrs = cell.attributes
    if cell.qname == (TABLE, "covered-table-cell"):
        return ""  # hidden under a merged cell: spreadsheet programs show nothing of it
    kind = attrs.get((OFFICE, "value-type"))
    if attrs.get((CALCEXT, "value-type")) == "error":
        kind = None  # an error cell is shown by its text
    if kind in ("float", "percentage", "currency"):
        return number_text(float(attrs.get((OFFICE, "value"))))
    if kind == "date":
        return iso_date_text(attrs.get((OFFICE, "date-value")))
    if kind == "time":
        return iso_duration_text(attrs.get((OFFICE, "time-value")))
    if kind == "boolean":
        return "TRUE" if attrs.get((OFFICE, "boolean-value")) == "true" else "FALSE"
    if (OFFICE, "string-value") in attrs:
        return attrs[(OFFICE, "string-value")]
    paragraphs = []
    for node in cell.childNodes:
        if node.nodeType == node.ELEMENT_NODE and node.qname in ((TEXT, "p"), (TEXT, "h")):
            paragraphs.append(ods_paragraph(node, {"blank": True}))
    return "\n".join(paragraphs)


def ods_rows(path):
    from odf.opendocument import load

    document = load(path)
    tables = document.spreadsheet.getElementsByType(__import__("odf.table", fromlist=["Table"]).Table)
    if not tables:
        raise ValueError("no table")
    rows = {}
    row = 0
    stack = [iter(tables[0].childNodes)]
    while stack and row < LAST_ROW:
        node = next(stack[-1], None)
        if node is None:
            stack.pop()
            continue
        if node.nodeType != node.ELEMENT_NODE or node.qname[0] != TABLE:
            continue
        name = node.qname[1]
        if name in ("table-header-rows", "table-row-group", "table-rows"):
            stack.append(iter(node.childNodes))
            continue
        if name != "table-row":
            continue
        repeat = int(node.attributes.get((TABLE, "number-rows-repeated"), "1"))
        cells = []
        for cell in node.childNodes:
            if cell.nodeType != cell.ELEMENT_NODE or cell.qname not in ((TABLE, "table-cell"), (TABLE, "covered-table-cell")):
                continue
            if len(cells) >= COLUMNS:
                break
            columns = int(cell.attributes.get((TABLE, "number-columns-repeated"), "1"))
            text = ods_cell_text(cell)
            cells.extend([text] * min(columns, COLUMNS - len(cells)))
        for _ in range(repeat):
            row += 1
            if row > LAST_ROW:
                break
            if row >= FIRST_ROW and any(cells):
                rows[row] = (cells + [""] * COLUMNS)[:COLUMNS]
    return rows


# --- refusals ----------------------------------------------------------------------------------


def refusal(path):
    """Why the import must refuse the file, or None."""
    with open(path, "rb") as f:
        head = f.read(8)
    if head.startswith(b"PK"):
        try:
            with zipfile.ZipFile(path) as z:
                names = {n.lower() for n in z.namelist()}
                if "xl/workbook.bin" in names:
                    return "xlsb"
                if "meta-inf/manifest.xml" in names and b"encryption-data" in z.read(
                    next(n for n in z.namelist() if n.lower() == "meta-inf/manifest.xml")
                ):
                    return "加密"
        except zipfile.BadZipFile:
            return "损坏"
    if head.startswith(bytes.fromhex("d0cf11e0a1b11ae1")):
        with open(path, "rb") as f:
            data = f.read()
        if "EncryptedPackage".encode("utf-16-le") in data:
            return "加密"
    return None


def main():
    folder = sys.argv[1]
    readers = {".xlsx": xlsx_rows, ".xlsm": xlsx_rows, ".xls": xls_rows, ".ods": ods_rows}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        extension = os.path.splitext(name)[1].lower()
        if extension not in readers and extension != ".xlsb":
            continue
        print("== " + name)
        reason = refusal(path)
        if reason:
            print("refused: " + reason)
            continue
        try:
            rows = readers[extension](path)
        except Exception as failure:  # the other readers fail on it: any clean outcome will do
            if "encrypted" in str(failure).lower():
                print("refused: 加密")
                continue
            print("any", file=sys.stdout)
            print("%s: %s" % (name, failure), file=sys.stderr)
            continue
        for r in sorted(rows):
            print("\t".join([str(r)] + [escape(t) for t in rows[r]]))


if __name__ == "__main__":
    main()
