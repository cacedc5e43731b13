#!/usr/bin/python3
"""Reads a workbook file with independent readers and compares every cell with the expected
cells. Usage: readers.py FILE EXPECTED [EXPECTED ...], one EXPECTED per sheet in order: a
UTF-8 file of lines of cells separated by a TAB (cell texts hold no TAB or line break).
"readers.py --container FILE" checks only the compound file.
Checks: olefile finds no defect and only the Workbook stream; xlrd (formatting_info=True)
logs nothing and reads the cells; ssconvert reads them too. Exit 0 when all agree, else 1
with the reasons on stderr."""

import csv
import io
import os
import subprocess
import sys
import tempfile

import olefile
import xlrd


def fail(message):
    sys.stderr.write(message + "\n")
    sys.exit(1)


def load_expected(path):
    rows = []
    with open(path, encoding="utf-8", newline="") as f:
        for line in f.read().split("\n"):
            rows.append(line.split("\t"))
    return trim(rows)


def trim(rows):
    rows = [list(r) for r in rows]
    for r in rows:
        while r and r[-1] == "":
            r.pop()
    while rows and not rows[-1]:
        rows.pop()
    return rows


def same_cell(got, want):
    if got == want:
        return True
    try:
        return abs(float(got) - float(want)) <= 1e-9 * max(1.0, abs(float(want)))
    except ValueError:
        return False


def compare(reader, sheet, got, want):
    for r in range(max(len(got), len(want))):
        g = got[r] if r < len(got) else []
        w = want[r] if r < len(want) else []
        for c in range(max(len(g), len(w))):
            gc = g[c] if c < len(g) else ""
            wc = w[c] if c < len(w) else ""
            if not same_cell(gc, wc):
                fail("%s, sheet %d, row %d, column %d: read %r, expected %r"
                     % (reader, sheet, r, c, gc[:80], wc[:80]))


def check_container(path):
    try:
        ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_POTENTIAL)
    except Exception as e:  # any defect raises
        fail("olefile: %s" % e)
    if ole.parsing_issues:
        fail("olefile: %s" % ole.parsing_issues)
    streams = ole.listdir(streams=True, storages=True)
    if streams != [["Workbook"]]:
        fail("olefile: streams %r, expected only Workbook" % streams)
    ole.close()


def xlrd_cells(path):
    log = io.StringIO()
    book = xlrd.open_workbook(path, formatting_info=True, logfile=log, verbosity=0)
    sheets = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_NUMBER:
                    row.append(repr(cell.value))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    row.append("TRUE" if cell.value else "FALSE")
                else:
                    row.append(str(cell.value))
            rows.append(row)
        sheets.append(trim(rows))
    if log.getvalue():
        fail("xlrd logged: %s" % log.getvalue()[:2000])
    return sheets


def ssconvert_cells(path, count):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "sheet.%n.csv")
        run = subprocess.run(["ssconvert", "-S", "-T", "Gnumeric_stf:stf_csv", path, out],
                             capture_output=True, text=True)
        errors = [l for l in run.stderr.splitlines() if l.strip()]
        if run.returncode != 0 or errors:
            fail("ssconvert: exit %d: %s" % (run.returncode, "\n".join(errors)[:2000]))
        sheets = []
        for n in range(count):
            name = os.path.join(tmp, "sheet.%d.csv" % n)
            if not os.path.exists(name):
                fail("ssconvert wrote no sheet %d" % n)
            with open(name, encoding="utf-8", newline="") as f:
                sheets.append(trim(list(csv.reader(f))))
        if os.path.exists(os.path.join(tmp, "sheet.%d.csv" % count)):
            fail("ssconvert found more than %d sheets" % count)
        return sheets


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--container":
        check_container(sys.argv[2])
        print("OK")
        return
    if len(sys.argv) < 3:
        fail(__doc__)
    path = sys.argv[1]
    expected = [load_expected(p) for p in sys.argv[2:]]
    check_container(path)
    got = xlrd_cells(path)
    if len(got) != len(expected):
        fail("xlrd: %d sheets, expected %d" % (len(got), len(expected)))
    for i, (g, w) in enumerate(zip(got, expected)):
        compare("xlrd", i, g, w)
    for i, (g, w) in enumerate(zip(ssconvert_cells(path, len(expected)), expected)):
        compare("ssconvert", i, g, w)
    print("OK")


if __name__ == "__main__":
    main()
