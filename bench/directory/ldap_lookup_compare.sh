#!/usr/bin/env bash
# A 5,000-member workstation-group lookup of vorlix-cli over LDAP against the ldapsearch calls
# that fetch the same entries and attributes (find the group, read its members and description,
# the workstations' three values, their users' phones), on a throw-away slapd of this machine:
# directly, and behind latency_proxy adding 1 ms each way (2 ms per round trip). Each figure is
# the median wall time of RUNS runs. For scale, the workstations alone read with one search per
# entry, one after the other (ldapsearch -f), as a client that does not keep reads in flight would.
# On a machine shared with other work wall times vary; the CPU seconds of client and server
# together (counted from /proc) do not, and are printed too.
#
#   ldap_lookup_compare.sh BUILD_DIR [RUNS]    BUILD_DIR holds vorlix-cli and latency_proxy
set -euo pipefail
build="$(cd "$1" && pwd)"
runs="${2:-7}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
dir="$(mktemp -d)"
proxy=""
cleanup() {
  [ -n "$proxy" ] && kill "$proxy" 2>/dev/null
  VORLIX_TEST_LDAP_DIR="" "$root/tests/directory/ldap_test_server.sh" stop "$dir"
  rm -rf "$dir"
}
trap cleanup EXIT

VORLIX_TEST_LDAP_DIR="" "$root/tests/directory/ldap_test_server.sh" start "$dir"
# shellcheck disable=SC1091
. "$dir/servers.env"
"$build/latency_proxy" "${LDAP_URL##*:}" 1 >"$dir/proxy-port" &
proxy=$!
for _ in $(seq 50); do [ -s "$dir/proxy-port" ] && break; sleep 0.1; done
proxied="ldap://127.0.0.1:$(cat "$dir/proxy-port")"

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
  seq -f 'FLEET-WS-%04g' 1 5000 >"$dir/names"
  ldapsearch -x -LLL -H "$1" -b ou=workstations,o=fleet -s one -f "$dir/names" '(cn=%s)' \
    wMNAMEUser wMLastRegisteredTime zENINVIPAddress
}

server_pid=$(cat "$dir/main/slapd.pid")
# shellcheck source=bench/directory/timing.sh
. "$root/bench/directory/timing.sh"

[ "$(vorlix_lookup "$LDAP_URL" 2>/dev/null | wc -l)" = 5001 ] || { echo "the lookup did not list 5,000 rows" >&2; exit 1; }
printf '%-44s %12s %18s\n' "" "direct" "+2 ms round trip"
direct_search=$(median ldapsearch_calls "$LDAP_URL")
proxied_search=$(median ldapsearch_calls "$proxied")
direct_vorlix=$(median vorlix_lookup "$LDAP_URL")
proxied_vorlix=$(median vorlix_lookup "$proxied")
printf '%-44s %10s s %16s s\n' "ldapsearch calls (4 processes)" "$direct_search" "$proxied_search"
printf '%-44s %10s s %16s s\n' "vorlix-cli members (whole run)" "$direct_vorlix" "$proxied_vorlix"
awk -v a="$direct_vorlix" -v b="$direct_search" -v c="$proxied_vorlix" -v d="$proxied_search" \
  'BEGIN { printf "%-44s %12.2f %18.2f\n", "ratio (at most 2 wanted)", a / b, c / d }'
printf '%-44s %10s s %16s\n' "CPU, client and server: ldapsearch calls" "$(cpu_of ldapsearch_calls "$LDAP_URL")" ""
printf '%-44s %10s s %16s\n' "CPU, client and server: vorlix-cli" "$(cpu_of vorlix_lookup "$LDAP_URL")" ""
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
runs=1
printf '%-44s %10s s %16s s\n' "workstations one search each (ldapsearch -f)" \
  "$(median one_by_one "$LDAP_URL")" "$(median one_by_one "$proxied")"
