#!/usr/bin/env bash
# Workstation-group lookups of vorlix-cli over LDAP against the ldapsearch calls that fetch the
# same entries and attributes (find the group, read its members and description, the
# workstations' three values, their users' phones), on throw-away slapd servers of this machine:
# groups of 5,000 and 20,000 workstations, each on a server without any index, with the indexes a
# server has out of the box (objectClass) and with an index on the names (cn) as well. Each figure
# is the median wall time of RUNS runs; the ratio is what the lookup takes against ldapsearch
# (at most 2 wanted, the same for both sizes). Then, for 5,000 on the server out of the box:
# behind latency_proxy adding 1 ms each way (2 ms per round trip), and for scale the workstations
# read with one search per entry, one after the other (ldapsearch -f), as a client that does not
# keep reads in flight would. On a machine shared with other work wall times vary; the CPU seconds
# of client and server together (counted from /proc) do not, and are printed too.
#
#   ldap_lookup_compare.sh BUILD_DIR [RUNS] [SIZES]   BUILD_DIR holds vorlix-cli and latency_proxy;
#                                                     SIZES defaults to "5000 20000"
set -euo pipefail
build="$(cd "$1" && pwd)"
runs="${2:-5}"
sizes="${3:-5000 20000}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
dir=""
proxy=""
stop_server() {
  [ -n "$dir" ] && VORLIX_TEST_LDAP_DIR="" "$root/tests/directory/ldap_test_server.sh" stop "$dir"
  dir=""
}
cleanup() {
  [ -n "$proxy" ] && kill "$proxy" 2>/dev/null
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a server whose o=fleet holds $1 workstations and crew, with indexes $2.
start_server() {
  stop_server
  dir="$work/$1-$2"
  VORLIX_TEST_LDAP_DIR="" VORLIX_FLEET_SIZE="$1" VORLIX_LDAP_INDEXES="$2" \
    "$root/tests/directory/ldap_test_server.sh" start "$dir" >/dev/null
  # shellcheck disable=SC1091
  . "$dir/servers.env"
  server_pid=$(cat "$dir/main/slapd.pid")
}

ldapsearch_calls() {
  local url=$1 page=(-E pr=500/noprompt)  # 500: the most the server's size limit lets a page hold
  ldapsearch -x -LLL -H "$url" -b o=fleet "${page[@]}" \
    '(&(objectClass=zenWorkstationGroup)(cn=Fleet Terminals*))' 1.1
  ldapsearch -x -LLL -H "$url" -b 'cn=Fleet Terminals,ou=groups,o=fleet' -s base \
    '(objectClass=*)' member description
  ldapsearch -x -LLL -H "$url" -b ou=workstations,o=fleet -s one "${page[@]}" \
    '(objectClass=zenWorkstation)' wMNAMEUser wMLastRegisteredTime zENINVIPAddress
  ldapsearch -x -LLL -H "$url" -b ou=crew,o=fleet -s one "${page[@]}" \
    '(objectClass=inetOrgPerson)' telephoneNumber
}

vorlix_lookup() {
  "$build/vorlix-cli" --source "$1/o=fleet" members --kind workstation "Fleet Terminals"
}

one_by_one() {
  seq -f 'FLEET-WS-%04g' 1 5000 >"$work/names"
  ldapsearch -x -LLL -H "$1" -b ou=workstations,o=fleet -s one -f "$work/names" '(cn=%s)' \
    wMNAMEUser wMLastRegisteredTime zENINVIPAddress
}

# shellcheck source=bench/directory/timing.sh
. "$root/bench/directory/timing.sh"

printf '%-8s %-9s %11s %11s %7s %13s %13s\n' members indexes ldapsearch vorlix ratio \
  "CPU search" "CPU vorlix"
for size in $sizes; do
  for indexes in none default names; do
    start_server "$size" "$indexes"
    rows=$(vorlix_lookup "$LDAP_URL" 2>/dev/null | wc -l)
    [ "$rows" = $((size + 1)) ] || {
      echo "the lookup listed $((rows - 1)) of $size rows" >&2
      exit 1
    }
    search=$(median ldapsearch_calls "$LDAP_URL")
    vorlix=$(median vorlix_lookup "$LDAP_URL")
    printf '%-8s %-9s %9s s %9s s %7.2f %11s s %11s s\n' "$size" "$indexes" "$search" "$vorlix" \
      "$(awk -v a="$vorlix" -v b="$search" 'BEGIN { print a / b }')" \
      "$(cpu_of ldapsearch_calls "$LDAP_URL")" "$(cpu_of vorlix_lookup "$LDAP_URL")"
  done
done

start_server 5000 default
"$build/latency_proxy" "${LDAP_URL##*:}" 1 >"$work/proxy-port" &
proxy=$!
for _ in $(seq 50); do [ -s "$work/proxy-port" ] && break; sleep 0.1; done
proxied="ldap://127.0.0.1:$(cat "$work/proxy-port")"
echo "5,000 members, indexes out of the box, +2 ms round trip:"
printf '  %-44s %9s s\n' "ldapsearch calls (4 processes)" "$(median ldapsearch_calls "$proxied")"
printf '  %-44s %9s s\n' "vorlix-cli members (whole run)" "$(median vorlix_lookup "$proxied")"
runs=1
printf '  %-44s %9s s %9s s\n' "workstations one search each (direct, +2 ms)" \
  "$(median one_by_one "$LDAP_URL")" "$(median one_by_one "$proxied")"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
