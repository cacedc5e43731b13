#!/usr/bin/python3
"""Writes 65,000 rows x 5 columns as a workbook three ways, one process each, and compares
time and peak memory: our writer (xls_bench --write), python3-xlwt, and ssconvert converting
the same table from CSV.
Usage: /usr/bin/python3 bench/export/xls/compare.py [path/to/xls_bench] [rows]"""

import csv
import os
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from process_measure import measure  # noqa: E402

ROWS = int(sys.argv[2]) if len(sys.argv) > 2 else 65000
BENCH = sys.argv[1] if len(sys.argv) > 1 else "build/xls_bench"
from generated_list import CAPTIONS, CELL_CODE  # noqa: E402

exec(CELL_CODE)

XLWT_SCRIPT = CELL_CODE + '''
import sys, xlwt

rows, out = int(sys.argv[1]), sys.argv[2]
book = xlwt.Workbook()
sheet = book.add_sheet("Sheet 1")
bold = xlwt.easyxf("font: bold on")
for c, caption in enumerate(%r):
    sheet.write(0, c, caption, bold)
for i in range(rows):
    row = sheet.row(i + 1)
    for c in range(5):
        row.write(c, cell(i, c))
book.save(out)
''' % (CAPTIONS,)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        ours = os.path.join(tmp, "ours.xls")
        theirs = os.path.join(tmp, "xlwt.xls")
        table = os.path.join(tmp, "table.csv")
        converted = os.path.join(tmp, "ssconvert.xls")
        script = os.path.join(tmp, "xlwt_writer.py")
        with open(script, "w") as f:
            f.write(XLWT_SCRIPT)
        with open(table, "w", newline="") as f:
            w = csv.writer(f)
            w.writerow(CAPTIONS)
            for i in range(ROWS):
                w.writerow([cell(i, c) for c in range(5)])

        results = [
            ("vorlix", measure([BENCH, "--write", ours, str(ROWS)], runs=5), ours),
            ("xlwt", measure(["/usr/bin/python3", script, str(ROWS), theirs]), theirs),
            ("ssconvert", measure(["ssconvert", "-T", "Gnumeric_Excel:excel_biff8", table,
                                   converted]), converted),
        ]
        print("%d rows x 5 columns" % ROWS)
        print("%-10s %9s %9s %12s %12s" % ("writer", "CPU s", "wall s", "peak RSS KB",
                                              "file KB"))
        for name, (cpu, wall, rss), path in results:
            print("%-10s %9.3f %9.3f %12d %12d" % (name, cpu, wall, rss,
                                                   os.path.getsize(path) // 1024))
        (c0, w0, rss0), size0 = results[0][1], os.path.getsize(ours)
        for name, (cpu, wall, _), _ in results[1:]:
            print("vorlix is %.1fx faster than %s (CPU time; %.1fx by wall time)"
                  % (cpu / c0, name, wall / w0))
        print("vorlix peak memory is %.2f x its file size" % (rss0 * 1024 / size0))
        ok = all(cpu / c0 >= 20 for _, (cpu, _, _), _ in results[1:]) and rss0 * 1024 < 2 * size0
        print("targets (20x faster than both, peak memory < 2 x file size):",
              "met" if ok else "NOT met")


if __name__ == "__main__":
    main()
