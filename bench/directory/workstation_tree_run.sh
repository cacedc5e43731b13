#!/usr/bin/env bash
# Time and peak memory of vorlix-cli on the generated workstation tree (workstation_tree.sh), each
# command as a whole process under /usr/bin/time -v: `tree` (loading alone) and the lookup of the
# group of every workstation. Each is run RUNS times and the best is kept (the fastest wall time,
# the smallest peak), since a shared machine only ever adds to either; the load average is shown.
#
#   workstation_tree_run.sh BUILD_DIR [RUNS] [WORKSTATIONS]   defaults: 5 runs, 100,000 workstations
set -euo pipefail
build="$(cd "$1" && pwd)"
runs="${2:-5}"
workstations="${3:-100000}"
here="$(cd "$(dirname "$0")" && pwd)"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

"$here/workstation_tree.sh" "$workstations" >"$dir/tree.ldif"
bytes=$(stat -c %s "$dir/tree.ldif")

# "seconds user+system peak-KB" of one run of vorlix-cli with the arguments given.
measure() {
  /usr/bin/time -v -o "$dir/time" "$build/vorlix-cli" --source "$dir/tree.ldif" "$@" >/dev/null 2>"$dir/err" ||
    { echo "vorlix-cli $* failed:" >&2; cat "$dir/err" >&2; exit 1; }
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); wall = (n == 3 ? p[1] * 3600 + p[2] * 60 + p[3] : p[1] * 60 + p[2]) }
    /User time/ { cpu += $2 } /System time/ { cpu += $2 }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%.2f %.2f %d\n", wall, cpu, kb }' "$dir/time"
}

# The best of `runs` runs: fastest wall time, least CPU time and smallest peak, each on its own.
best() {
  for _ in $(seq "$runs"); do measure "$@"; done |
    sort -n | awk 'NR == 1 { wall = $1; cpu = $2; kb = $3 }
      { if ($2 < cpu) cpu = $2; if ($3 < kb) kb = $3 }
      END { print wall, cpu, kb }'
}

printf 'tree file: %d workstations, %.1f MB (%d bytes); best of %d runs\n' \
  "$workstations" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$bytes" "$runs"
printf '%-10s %8s %8s %10s %14s\n' command "wall s" "cpu s" "peak MB" "peak / file"
for command in tree members; do
  case $command in
    tree) args=(tree) ;;
    members) args=(members --kind workstation "All Workstations") ;;
  esac
  read -r wall cpu kb < <(best "${args[@]}")
  awk -v c="$command" -v w="$wall" -v u="$cpu" -v kb="$kb" -v b="$bytes" 'BEGIN {
    printf "%-10s %8.2f %8.2f %10.1f %14.2f\n", c, w, u, kb * 1024 / 1e6, kb * 1024 / b }'
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
