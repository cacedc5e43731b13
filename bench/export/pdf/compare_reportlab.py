#!/usr/bin/python3
"""Times the PDF exporter against reportlab drawing the same table.

Both draw the member table of pdf_export_run (five columns, every cell filled) on A4 with the
main window's margins: Helvetica 10 throughout, a 20-point row, a rule under every row, the
vertical rules of each page's block, 35 rows on page 1 and 36 on every further page, no page
compression. Our exporter also runs at a tenth of the rows, so that the growth of its peak
memory beyond the source table can be compared. Times are CPU seconds of the drawing alone
(the machine may be shared); wall seconds are shown beside them.

Usage: compare_reportlab.py --runner BUILD/vorlix_pdf_export_run [--rows 100000]
Build the runner without sanitizers (-DCMAKE_BUILD_TYPE=Release -DVORLIX_SANITIZE=OFF).
Exits 1 when the exporter is less than 20 times as fast or its memory grows with the rows.
"""

import argparse
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

from reportlab.pdfgen import canvas

PAGE_W, PAGE_H = 595, 842
LEFT, BOTTOM, TOP = 84, 56, 785
BOUNDS = [84, 229, 345, 437, 505, 582]
PAD = 7
SIZE = 10
CAPTIONS = ["Workstation", "User", "Registered", "Address", "Phone"]


def member_rows(rows):
    for i in range(rows):
        n = str(i)
        yield ["WS-" + n + ".Workstations.Sales.Acme", "user" + n,
               "2026-12-07 08:" + str(10 + i % 50), "10.1." + n, "+1 555 " + n]


def reportlab_table(path, rows):
    c = canvas.Canvas(path, pagesize=(PAGE_W, PAGE_H), pageCompression=0)
    c.setLineWidth(0)

    def hrule(y):
        c.line(BOUNDS[0], y, BOUNDS[-1], y)

    def vrules(top, y):
        for x in BOUNDS:
            c.line(x, top, x, y)

    c.setFont("Helvetica", SIZE)
    y = top = TOP
    hrule(y)
    y -= 15
    for i, caption in enumerate(CAPTIONS):
        c.drawString(BOUNDS[i] + PAD, y, caption)
    y -= 5
    hrule(y)
    for cells in member_rows(rows):
        if y - 20 < BOTTOM:
            vrules(top, y)
            c.showPage()
            c.setLineWidth(0)
            c.setFont("Helvetica", SIZE)
            y = top = TOP
            hrule(y)
        y -= 15
        for i, text in enumerate(cells):
            c.drawString(BOUNDS[i] + PAD, y, text)
        y -= 5
        hrule(y)
    vrules(top, y)
    c.save()


def run_ours(runner, rows, path):
    out = subprocess.run([runner, str(rows), path], check=True, capture_output=True, text=True)
    return json.loads(out.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runner", required=True, help="path of vorlix_pdf_export_run")
    parser.add_argument("--rows", type=int, default=100000)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="vorlix-pdf-bench-") as folder:
        small = run_ours(args.runner, args.rows // 10, os.path.join(folder, "small.pdf"))
        ours_path = os.path.join(folder, "ours.pdf")
        ours = run_ours(args.runner, args.rows, ours_path)
        ours_size = os.path.getsize(ours_path)

        theirs_path = os.path.join(folder, "reportlab.pdf")
        start, cpu_start = time.perf_counter(), time.process_time()
        reportlab_table(theirs_path, args.rows)
        theirs_wall = time.perf_counter() - start
        theirs_seconds = time.process_time() - cpu_start
        theirs_size = os.path.getsize(theirs_path)
        theirs_peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss

    growth_small = small["peak_kib"] - small["table_kib"]
    growth = ours["peak_kib"] - ours["table_kib"]
    ratio = theirs_seconds / ours["cpu_seconds"] if ours["cpu_seconds"] > 0 else float("inf")
    print(f"rows: {args.rows} x 5 columns")
    print(f"exporter : {ours['cpu_seconds']:.3f} s CPU ({ours['seconds']:.3f} s wall), "
          f"{ours_size / 1e6:.1f} MB file, peak {ours['peak_kib']} KiB "
          f"of which the table {ours['table_kib']} KiB")
    print(f"reportlab: {theirs_seconds:.3f} s CPU ({theirs_wall:.3f} s wall), "
          f"{theirs_size / 1e6:.1f} MB file, peak {theirs_peak} KiB")
    print(f"speed-up : {ratio:.1f}x (target 20x)")
    print(f"exporter memory beyond the table: {growth_small} KiB at {args.rows // 10} rows, "
          f"{growth} KiB at {args.rows} rows")
    # Slack for the per-page lists (object offsets, page entries): a few bytes per page.
    ok = ratio >= 20 and growth <= growth_small + 512
    print("OK" if ok else "FAIL")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
