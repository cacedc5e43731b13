#!/usr/bin/env bash
# Time and peak memory of a workstation-group lookup through vorlix-cli, each command a whole
# process: loading the tree alone (`tree`), listing the members (`members`) and exporting them in
# each format (`export`). The tree holds N workstations (default 100,000), each registered to a
# user of its own with a phone, and one workstation group of them all: about 32 MB of LDIF at
# 100,000.
#
# Prints, per command, the best wall time of RUNS runs (the machine may be busy; the best run is
# the one least disturbed), the peak resident size and its ratio to the file, and the time
# against `tree`'s.
#
#   members_memory.sh BUILD_DIR [RUNS] [N]   BUILD_DIR holds vorlix-cli
set -euo pipefail
build="$(cd "$1" && pwd)"
runs="${2:-3}"
count="${3:-100000}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

awk -v n="$count" 'BEGIN {
  printf "version: 1\n\ndn:\ndirectoryTreeName: BENCH\n\ndn: o=bench\nobjectClass: organization\n"
  printf "o: bench\n\ndn: ou=staff,o=bench\nobjectClass: organizationalUnit\nou: staff\n\n"
  printf "dn: ou=workstations,o=bench\nobjectClass: organizationalUnit\nou: workstations\n\n"
  for (i = 0; i < n; i++) {
    printf "dn: cn=user%d,ou=staff,o=bench\nobjectClass: inetOrgPerson\ncn: user%d\n", i, i
    printf "sn: User %d\ntelephoneNumber: +31 20 555 %05d\n\n", i, i
    printf "dn: cn=WS-%06d,ou=workstations,o=bench\nobjectClass: zenWorkstation\nobjectClass: top\n", i
    printf "cn: WS-%06d\nwMNAMEUser: cn=user%d,ou=staff,o=bench\n", i, i
    printf "wMLastRegisteredTime: 2024%02d%02d0830%02dZ\n", i % 12 + 1, i % 28 + 1, i % 60
    printf "zENINVIPAddress: [10.%d.%d.%d]\n\n", int(i / 65536) % 256, int(i / 256) % 256, i % 256
  }
  printf "dn: cn=All Workstations,o=bench\nobjectClass: zenWorkstationGroup\ncn: All Workstations\n"
  printf "description: Every generated workstation\n"
  for (i = n - 1; i >= 0; i--) printf "member: cn=WS-%06d,ou=workstations,o=bench\n", i
}' >"$dir/tree.ldif"
bytes=$(stat -c %s "$dir/tree.ldif")

# "seconds peak-KB" of the best (fastest) of `runs` runs of vorlix-cli with the arguments given;
# "refused" with the reason when the command fails (an .xls sheet holds at most 65,536 rows).
best_run() {
  for _ in $(seq "$runs"); do
    if ! /usr/bin/time -f '%e %M' -o "$dir/time" "$build/vorlix-cli" --quiet \
      --source "$dir/tree.ldif" "$@" >/dev/null 2>"$dir/err"; then
      echo "refused $(tail -1 "$dir/err")"
      return
    fi
    cat "$dir/time"
  done | sort -n | head -1
}

printf '%s workstations, %.1f MB of LDIF; best of %s runs\n' "$count" \
  "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" "$runs"
printf '%-14s %8s %9s %7s %9s\n' command seconds "peak MB" ratio "x tree"
tree_seconds=""
report() {
  local name="$1"
  shift
  read -r seconds kb < <(best_run "$@")
  if [ "$seconds" = refused ]; then
    printf '%-14s refused: %s\n' "$name" "$kb"
    return
  fi
  [ -n "$tree_seconds" ] || tree_seconds="$seconds"
  awk -v name="$name" -v s="$seconds" -v kb="$kb" -v b="$bytes" -v t="$tree_seconds" 'BEGIN {
    printf "%-14s %8.2f %9.1f %7.2f %9.2f\n", name, s, kb / 1024, kb * 1024 / b, (t > 0 ? s / t : 0) }'
}
report tree tree
report members members --kind workstation "All Workstations"
for format in csv txt dif sylk xls xlsx pdf; do
  report "export $format" export --kind workstation "All Workstations" --format "$format" \
    --output "$dir/out.$format"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
