#!/usr/bin/env bash
# Peak memory and time of loading a tree file into the embedded client, through vorlix-cli (one
# process per size, so that one size's peak does not hide the next). The trees have the shape of
# directory_bench's: N users of about 185 bytes each in ou=staff, and a group of the first 1,000.
#
# For each size: the file's size, the peak resident size of `vorlix-cli tree` (which loads the
# whole file) and its ratio to the file, the same above the peak of a run on a one-entry tree (the
# program's own share), and the file's bytes per second of wall time over the whole run (the
# median of RUNS runs, process start and end included).
#
#   tree_memory.sh BUILD_DIR [RUNS] [SIZES...]   BUILD_DIR holds vorlix-cli; default sizes 10k 100k 1M
set -euo pipefail
build="$(cd "$1" && pwd)"
runs="${2:-3}"
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

# Writes a tree of $1 users and a group of the first $2 of them to $3.
tree_file() {
  awk -v entries="$1" -v members="$2" 'BEGIN {
    printf "version: 1\n\ndn:\ndirectoryTreeName: BENCH\n\ndn: o=bench\nobjectClass: organization\n"
    printf "o: bench\n\ndn: ou=staff,o=bench\nobjectClass: organizationalUnit\nou: staff\n\n"
    for (i = 0; i < entries; i++) {
      printf "dn: cn=user%d,ou=staff,o=bench\nobjectClass: inetOrgPerson\nobjectClass: top\n", i
      printf "cn: user%d\nsn: User %d\ntelephoneNumber: +31 20 555 %d\n", i, i, i
      printf "description: A member of staff with a line of text\n\n"
    }
    printf "dn: cn=big,o=bench\nobjectClass: groupOfNames\ncn: big\n"
    for (i = 0; i < members; i++) printf "member: cn=user%d,ou=staff,o=bench\n", i
  }' >"$3"
}

# "peak-KB seconds" of one run of vorlix-cli on a tree file.
measure() {
  /usr/bin/time -f '%M %e' -o "$dir/time" "$build/vorlix-cli" --source "$1" tree >/dev/null
  cat "$dir/time"
}

# The median "peak-KB seconds" of `runs` runs (by time; the peak hardly varies).
median_run() {
  for _ in $(seq "$runs"); do measure "$1"; done | sort -k2 -n |
    awk '{ line[NR] = $0 } END { print line[int((NR + 1) / 2)] }'
}

tree_file 1 0 "$dir/base.ldif"
read -r base_kb _ < <(median_run "$dir/base.ldif")
printf '%9s %10s %10s %7s %12s %7s %10s\n' entries "file MB" "peak MB" ratio "above base" ratio "MB/s"
for n in "${sizes[@]}"; do
  tree_file "$n" 1000 "$dir/tree.ldif"
  bytes=$(stat -c %s "$dir/tree.ldif")
  read -r kb seconds < <(median_run "$dir/tree.ldif")
  awk -v n="$n" -v b="$bytes" -v kb="$kb" -v base="$base_kb" -v s="$seconds" 'BEGIN {
    mb = b / 1048576; peak = kb / 1024; above = (kb - base) / 1024
    printf "%9d %10.1f %10.1f %7.2f %12.1f %7.2f %10.0f\n", n, mb, peak, peak / mb, above, above / mb,
      (s > 0 ? mb / s : 0) }'
  rm -f "$dir/tree.ldif"
done
echo "base: $((base_kb / 1024)) MB peak on a one-entry tree; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
