#!/usr/bin/python3
"""Writes 100,000 rows x 5 columns as an .xlsx workbook, one process each, and compares time
and peak memory: our writer (xlsx_bench --write) against python3-xlsxwriter writing the same
cells with the same formats, in its default mode and in its constant-memory mode. Also writes
10,000 rows with ours, so that peak memory can be compared across the two sizes.
Usage: /usr/bin/python3 bench/export/xlsx/compare.py [path/to/xlsx_bench] [rows]"""

import os
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from process_measure import measure  # noqa: E402

ROWS = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
SMALL = ROWS // 10
BENCH = sys.argv[1] if len(sys.argv) > 1 else "build-bench/xlsx_bench"
from generated_list import CAPTIONS, CELL_CODE  # noqa: E402

XLSXWRITER_SCRIPT = CELL_CODE + '''
import sys, xlsxwriter

rows, out, constant = int(sys.argv[1]), sys.argv[2], sys.argv[3] == "constant"
book = xlsxwriter.Workbook(out, {"constant_memory": constant})
sheet = book.add_worksheet("Sheet 1")
bold = book.add_format({"bold": True, "font_name": "Arial", "font_size": 10})
data = book.add_format({"font_name": "Arial", "font_size": 10})
sheet.set_footer("&CPage &P of &N")
sheet.set_column(0, 4, 15.43)
for c, caption in enumerate(%r):
    sheet.write_string(0, c, caption, bold)
for i in range(rows):
    for c in range(5):
        sheet.write_string(i + 1, c, cell(i, c), data)
book.close()
''' % (CAPTIONS,)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        script = os.path.join(tmp, "xlsxwriter_writer.py")
        with open(script, "w") as f:
            f.write(XLSXWRITER_SCRIPT)
        out = {name: os.path.join(tmp, name + ".xlsx")
               for name in ("ours", "ours-small", "xlsxwriter", "xlsxwriter-cm")}
        results = [
            ("vorlix", ROWS, measure([BENCH, "--write", out["ours"], str(ROWS)], runs=3),
             out["ours"]),
            ("vorlix", SMALL, measure([BENCH, "--write", out["ours-small"], str(SMALL)], runs=3),
             out["ours-small"]),
            ("xlsxwriter", ROWS, measure(["/usr/bin/python3", script, str(ROWS), out["xlsxwriter"],
                                          "default"]), out["xlsxwriter"]),
            ("xlsxwriter constant memory", ROWS,
             measure(["/usr/bin/python3", script, str(ROWS), out["xlsxwriter-cm"], "constant"]),
             out["xlsxwriter-cm"]),
        ]
        print("%-28s %8s %9s %9s %12s %9s" % ("writer", "rows", "CPU s", "wall s", "peak RSS KB",
                                              "file KB"))
        for name, rows, (cpu, wall, rss), path in results:
            print("%-28s %8d %9.3f %9.3f %12d %9d" % (name, rows, cpu, wall, rss,
                                                      os.path.getsize(path) // 1024))
        cpu0, wall0, rss_large = results[0][2]
        rss_small = results[1][2][2]
        speedups = []
        for name, _, (cpu, wall, _), _ in results[2:]:
            speedups.append(cpu / cpu0)
            print("vorlix is %.1fx faster than %s (CPU time; %.1fx by wall time)"
                  % (cpu / cpu0, name, wall / wall0))
        growth = rss_large / rss_small
        print("vorlix peak memory at %d rows is %.2f x that at %d rows" % (ROWS, growth, SMALL))
        ok = min(speedups) >= 10 and growth < 2
        print("targets (10x faster than python3-xlsxwriter in either mode, peak memory at %d rows"
              " < 2 x that at %d rows):" % (ROWS, SMALL), "met" if ok else "NOT met")


if __name__ == "__main__":
    main()
