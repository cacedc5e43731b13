#!/usr/bin/env bash
# Workstation-group lookups of vorlix-cli against a Samba Active Directory domain controller
# (tests/directory/samba_test_server.sh, as root), next to the ldapsearch calls that fetch the
# same entries and attributes with pages of 500 (-E pr=500/noprompt): find the group, read its
# members and description, the computers' three values, their managers' phones. Two groups of
# computers, of 5,000 and of 20,000, each computer managed by one of 1,000 contacts with a phone,
# are loaded into the domain first (that takes several minutes). vorlix-cli uses the Active
# Directory profile (packaging/examples/active-directory.ini) over LDAPS as the administrator.
# Each figure is the median wall time of RUNS runs; the CPU seconds of client and server together
# are printed too, since wall times vary on a machine shared with other work.
#
#   ad_lookup_compare.sh BUILD_DIR [RUNS]    BUILD_DIR holds vorlix-cli
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
server="$root/tests/directory/samba_test_server.sh"

# Runs inside the domain controller's network: the comparison itself.
measure() {
  local build=$1 dir=$2 runs=$3
  # shellcheck disable=SC1091
  . "$dir/samba.env"
  export LDAPTLS_CACERT="$SAMBA_CA_FILE" VORLIX_LDAP_PASSWORD="$SAMBA_ADMIN_PASSWORD"
  sed -e "s#^source=.*#source=$SAMBA_LDAPS_URL#" -e "s#^base=.*#base=$SAMBA_BASE#" \
    -e "s#^binddn=.*#binddn=$SAMBA_ADMIN#" "$root/packaging/examples/active-directory.ini" \
    >"$dir/vorlix.ini"
  local bind=(-x -LLL -H "$SAMBA_LDAPS_URL" -D "$SAMBA_ADMIN" -w "$SAMBA_ADMIN_PASSWORD")
  local page=(-E pr=500/noprompt) bench="OU=Bench,$SAMBA_BASE"

  ldapsearch_calls() {
    ldapsearch "${bind[@]}" -b "$SAMBA_BASE" "${page[@]}" \
      "(&(objectClass=group)(cn=Bench Workstations $1*))" 1.1
    ldapsearch "${bind[@]}" -b "CN=Bench Workstations $1,$bench" -s base '(objectClass=*)' \
      member description
    ldapsearch "${bind[@]}" -b "OU=WS$1,$bench" -s one "${page[@]}" '(objectClass=computer)' \
      managedBy lastLogonTimestamp dNSHostName
    ldapsearch "${bind[@]}" -b "OU=People,$bench" -s one "${page[@]}" '(objectClass=contact)' \
      telephoneNumber
  }
  vorlix_lookup() {
    "$build/vorlix-cli" --config "$dir/vorlix.ini" members --kind workstation \
      "Bench Workstations $1"
  }
  server_pid=$SAMBA_PID
  # shellcheck source=bench/directory/timing.sh
  . "$root/bench/directory/timing.sh"

  printf '%-28s %12s %12s %8s %14s %14s\n' "workstations" "ldapsearch" "vorlix-cli" "ratio" \
    "CPU ldapsearch" "CPU vorlix"
  for size in 5000 20000; do
    local rows
    rows=$(vorlix_lookup "$size" 2>/dev/null | wc -l)
    [ "$rows" = $((size + 1)) ] || {
      echo "the lookup of $size listed $((rows - 1)) rows" >&2
      vorlix_lookup "$size" 2>&1 >/dev/null | tail -3 >&2
      return 1
    }
    local a b
    a=$(median ldapsearch_calls "$size")
    b=$(median vorlix_lookup "$size")
    printf '%-28s %10s s %10s s %8.2f %12s s %12s s\n' "$size" "$a" "$b" \
      "$(awk -v a="$a" -v b="$b" 'BEGIN { print b / a }')" \
      "$(cpu_of ldapsearch_calls "$size")" "$(cpu_of vorlix_lookup "$size")"
  done
  echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
}

if [ "${1:-}" = measure ]; then
  shift
  measure "$@"
  exit
fi

build="$(cd "$1" && pwd)"
runs="${2:-3}"
[ "$(id -u)" -eq 0 ] || { echo "the Samba comparison needs root (a network namespace)" >&2; exit 0; }
dir="$(mktemp -d)"
trap 'VORLIX_TEST_SAMBA_DIR="" "$server" stop "$dir"; rm -rf "$dir"' EXIT
export VORLIX_TEST_SAMBA_DIR=""
"$server" start "$dir" "$build/samba-domain-cache"

awk -v base="OU=Bench,DC=vorlix,DC=test" 'BEGIN {
  printf "dn: %s\nobjectClass: top\nobjectClass: organizationalUnit\nou: Bench\n\n", base
  printf "dn: OU=People,%s\nobjectClass: top\nobjectClass: organizationalUnit\nou: People\n\n", base
  for (p = 0; p < 1000; p++) {
    printf "dn: CN=person%04d,OU=People,%s\nobjectClass: top\nobjectClass: contact\n", p, base
    printf "cn: person%04d\ntelephoneNumber: +31 10 557 %04d\n\n", p, p
  }
  n[1] = 5000; n[2] = 20000
  for (g = 1; g <= 2; g++) {
    size = n[g]
    printf "dn: OU=WS%d,%s\nobjectClass: top\nobjectClass: organizationalUnit\nou: WS%d\n\n", size, base, size
    for (i = 1; i <= size; i++) {
      name = sprintf("B%dK-%05d", size / 1000, i)
      printf "dn: CN=%s,OU=WS%d,%s\nobjectClass: top\nobjectClass: computer\ncn: %s\n", name, size, base, name
      printf "sAMAccountName: %s$\ndNSHostName: %s.vorlix.test\n", name, tolower(name)
      if (i % 13 != 0) printf "managedBy: CN=person%04d,OU=People,%s\n", i % 1000, base
      printf "lastLogonTimestamp: %.0f\n\n", 133400000000000000 + (i % 1000) * 864000000000
    }
    printf "dn: CN=Bench Workstations %d,%s\nobjectClass: top\nobjectClass: group\n", size, base
    printf "cn: Bench Workstations %d\ndescription: %d computers\n", size, size
    for (i = 1; i <= size; i++) printf "member: CN=B%dK-%05d,OU=WS%d,%s\n", size / 1000, i, size, base
    print ""
  }
}' >"$dir/bench.ldif"
echo "loading 1,000 contacts and 25,000 computers into the domain..." >&2
start=$(date +%s)
# The domain is thrown away after the run: its database files need not reach the disk.
TDB_NO_FSYNC=1 "$server" load "$dir" "$dir/bench.ldif"
echo "loaded in $(($(date +%s) - start)) s" >&2
"$server" run "$dir" "$0" measure "$build" "$dir" "$runs"
