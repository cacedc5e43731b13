#!/usr/bin/python3
"""Reads an .xlsx workbook with independent readers (openpyxl and ssconvert).

  xlsx_readers.py cells FILE EXPECTED   compares the first sheet's cells, as both readers see
                                        them, with EXPECTED: UTF-8 lines of TAB-separated cells
  xlsx_readers.py csv FILE EXPORT       the same, with EXPECTED a ';'-separated CSV export
  xlsx_readers.py facts FILE [XLS]      prints key=value lines: sheet titles, fonts of the first
                                        two rows, column widths (and those of the .xls file
                                        XLS, read with xlrd), page header and footer, rows
  xlsx_readers.py values FILE           prints each row's values as Python literals, TAB-separated

Exit 0 when the readers agree with what is expected, else 1 with the reasons on stderr."""

import csv
import os
import subprocess
import sys
import tempfile
import warnings

import openpyxl

# The .xls readers' helpers: fail(), trim() and the cell comparison.
sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "xls"))
from readers import compare, fail, trim  # noqa: E402


def text_of(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    return str(value)


def load_book(path):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        book = openpyxl.load_workbook(path)
    if caught:
        fail("openpyxl warned: %s" % "; ".join(str(w.message) for w in caught))
    return book


def openpyxl_cells(path):
    sheet = load_book(path).worksheets[0]
    return trim([[text_of(v) for v in row] for row in sheet.iter_rows(values_only=True)])


def ssconvert_cells(path):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "sheet.csv")
        run = subprocess.run(["ssconvert", "-T", "Gnumeric_stf:stf_csv", path, out],
                             capture_output=True, text=True)
        errors = [l for l in run.stderr.splitlines() if l.strip()]
        if run.returncode != 0 or errors:
            fail("ssconvert: exit %d: %s" % (run.returncode, "\n".join(errors)[:2000]))
        with open(out, encoding="utf-8", newline="") as f:
            return trim(list(csv.reader(f)))


def check_cells(path, want):
    compare("openpyxl", 0, openpyxl_cells(path), want)
    compare("ssconvert", 0, ssconvert_cells(path), want)
    print("OK")


def facts(path, xls=None):
    book = load_book(path)
    print("sheets=%s" % "|".join(book.sheetnames))
    sheet = book.worksheets[0]
    for r in (1, 2):
        fonts = sorted({"%s %g%s" % (c.font.name, c.font.sz, " bold" if c.font.b else "")
                        for c in sheet[r] if c.value not in (None, "")})
        print("row%d_fonts=%s" % (r, "|".join(fonts)))
    widths = []
    for c in range(1, sheet.max_column + 1):
        letter = openpyxl.utils.get_column_letter(c)
        widths.append("%.6f" % sheet.column_dimensions[letter].width)
    print("widths=%s" % "|".join(widths))
    if xls:
        import xlrd
        xsheet = xlrd.open_workbook(xls, formatting_info=True).sheet_by_index(0)
        print("xls_widths=%s" % "|".join("%.6f" % (xsheet.colinfo_map[c].width / 256)
                                         for c in range(xsheet.ncols)))
    print("header=%s" % (sheet.oddHeader.center.text or ""))
    print("footer=%s" % (sheet.oddFooter.center.text or ""))
    print("rows=%d" % sheet.max_row)


def values(path):
    for row in load_book(path).worksheets[0].iter_rows(values_only=True):
        print("\t".join(repr(v) for v in row))


def main():
    args = sys.argv[1:]
    if len(args) == 3 and args[0] == "cells":
        with open(args[2], encoding="utf-8", newline="") as f:
            check_cells(args[1], trim(line.split("\t") for line in f.read().split("\n")))
    elif len(args) == 3 and args[0] == "csv":
        with open(args[2], encoding="utf-8", newline="") as f:
            check_cells(args[1], trim(csv.reader(f, delimiter=";")))
    elif len(args) in (2, 3) and args[0] == "facts":
        facts(*args[1:])
    elif len(args) == 2 and args[0] == "values":
        values(args[1])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main()
