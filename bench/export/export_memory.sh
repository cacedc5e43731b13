#!/usr/bin/env bash
# Runs each export benchmark size in its own process, so that the peak resident size of one
# size does not hide the other, and prints rows per second and memory per case.
# Usage: bench/export/export_memory.sh [path/to/export_bench]
set -euo pipefail
bench="${1:-build/export_bench}"
for name in BM_ExportCsv BM_ExportTxt; do
  for rows in 10000 100000; do
    "$bench" --benchmark_filter="^${name}/${rows}\$" --benchmark_format=csv 2>/dev/null |
      awk -F, -v n="$name/$rows" '
        NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
        { printf "%-22s %10.0f rows/s  table %7.0f KB  export growth %6.0f KB  output %10.0f bytes\n",
            n, $col["items_per_second"], $col["\"TableKB\""], $col["\"ExportGrowthKB\""],
            $col["\"OutputBytes\""] }'
  done
done
