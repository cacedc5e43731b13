#!/usr/bin/env bash
# Starts and stops the throw-away LDAP servers of the tests and benchmarks.
#
#   ldap_test_server.sh start DIR   make DIR, start the servers, write DIR/servers.env
#   ldap_test_server.sh stop DIR    stop the servers started in DIR (nothing when none runs)
#
# Two slapd processes listen on 127.0.0.1 on free ports, with the indexes a server has out of the
# box (objectClass only), so that nothing is faster here than on a server as users run it:
#   main   the project's schema (with X-NDS_NAME); o=harbourline (data/sample-tree.ldif),
#          o=fleet (5,000 workstations and crew members, a group of each size) and o=names
#          (tests/data/directory/awkward-names.ldif), and o=faults (a few entries, and room for
#          the referrals the fault tests add as cn=admin,o=faults with ADMIN_PASSWORD; no other
#          test reads it), and o=scratch (empty, for trees that a test writes under a branch of
#          its own as cn=admin,o=scratch with ADMIN_PASSWORD and removes again). ldap:// with
#          StartTLS and ldaps://, under a
#          test CA made here; a size limit of 500 entries that paged searches may pass. Bound as
#          cn=limited,o=harbourline (password LIMITED_PASSWORD) a search may return 5 entries and
#          not page; bound as cn=pager,o=fleet (PAGER_PASSWORD) a page may hold 100 entries at
#          most. o=locked (one group) answers only clients that have bound.
#   plain  the same schema without X-NDS_NAME, o=harbourline only, ldap:// only, no index at all.
# For the benchmarks: VORLIX_FLEET_SIZE sets the workstations and crew of o=fleet (default 5000),
# VORLIX_LDAP_INDEXES the main server's indexes: "default", "none" or "names" (cn as well).
# DIR/servers.env holds shell assignments (LDAP_URL, LDAPS_URL, PLAIN_URL, CA_FILE, OTHER_CA_FILE,
# ADMIN_DN, ADMIN_PASSWORD, LIMITED_DN, LIMITED_PASSWORD, PAGER_DN, PAGER_PASSWORD, FLEET_LDIF,
# NAMES_LDIF, and from the test CA a client certificate CLIENT_CERT/CLIENT_KEY, one for another
# host WRONG_HOST_CERT/_KEY and an expired one EXPIRED_CERT/_KEY). With VORLIX_TEST_LDAP_DIR set,
# that folder is used instead of DIR. "start" on a folder whose servers still run only checks them.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
command="${1:-}"
dir="${VORLIX_TEST_LDAP_DIR:-${2:-}}"
[ -n "$command" ] && [ -n "$dir" ] || {
  echo "usage: $0 start|stop DIR" >&2
  exit 64
}

slapd=$(command -v slapd || echo /usr/sbin/slapd)
slapadd=$(command -v slapadd || echo /usr/sbin/slapadd)
admin_password="vorlix-admin"
limited_password="vorlix-limited"
pager_password="vorlix-pager"
fleet_size="${VORLIX_FLEET_SIZE:-5000}"
indexes="${VORLIX_LDAP_INDEXES:-default}"

alive() { [ -s "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

stop_servers() {
  local pids=() pidfile pid
  for pidfile in "$dir"/*/slapd.pid; do
    [ -e "$pidfile" ] || continue
    if alive "$pidfile"; then
      pid=$(cat "$pidfile")
      kill "$pid" 2>/dev/null && pids+=("$pid")
    fi
    rm -f "$pidfile"
  done
  # The servers hold nothing worth keeping: whatever has not ended after 3 seconds is killed.
  for _ in $(seq 30); do
    local running=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && running=1; done
    [ "$running" = 0 ] && return 0
    sleep 0.1
  done
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
}

free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# The sample tree as slapd takes it: no root entry (its tree name goes to the root DSE), and an
# empty group holds the empty name, since a groupOfNames must have a member.
server_ldif() {
  grep -v -e '^#' -e '^version:' "$1" | awk 'BEGIN { RS = ""; ORS = "\n\n" }
    /^dn:[ ]*\n/ { next }
    { if ($0 ~ /\nobjectClass: groupOfNames/ && $0 !~ /\nmember:/) $0 = $0 "\nmember:"; print }'
}

fleet_ldif() {
  awk -v n="$fleet_size" 'BEGIN {
    print "dn: o=fleet\nobjectClass: organization\no: fleet\n"
    print "dn: ou=workstations,o=fleet\nobjectClass: organizationalUnit\nou: workstations\n"
    print "dn: ou=crew,o=fleet\nobjectClass: organizationalUnit\nou: crew\n"
    print "dn: ou=groups,o=fleet\nobjectClass: organizationalUnit\nou: groups\n"
    for (i = 1; i <= n; i++) {
      printf "dn: cn=crew%04d,ou=crew,o=fleet\nobjectClass: inetOrgPerson\ncn: crew%04d\nsn: Crew %d\n", i, i, i
      if (i % 7 != 0) printf "telephoneNumber: +31 10 556 %04d\n", i
      print ""
      printf "dn: cn=FLEET-WS-%04d,ou=workstations,o=fleet\nobjectClass: zenWorkstation\ncn: FLEET-WS-%04d\n", i, i
      if (i % 11 != 0) printf "wMNAMEUser: cn=crew%04d,ou=crew,o=fleet\n", i
      printf "wMLastRegisteredTime: 2024%02d%02d%02d%02d00Z\n", i % 12 + 1, i % 28 + 1, i % 24, i % 60
      printf "zENINVIPAddress: [10.%d.%d.%d]\n\n", int(i / 65536) % 256, int(i / 256) % 256, i % 256
    }
    print "dn: cn=Fleet Terminals,ou=groups,o=fleet\nobjectClass: zenWorkstationGroup\ncn: Fleet Terminals"
    print "description: Every terminal of the fleet"
    for (i = 1; i <= n; i++) printf "member: cn=FLEET-WS-%04d,ou=workstations,o=fleet\n", i
    print "\ndn: cn=Fleet Crew,ou=groups,o=fleet\nobjectClass: groupOfNames\ncn: Fleet Crew"
    print "description: Everybody aboard"
    for (i = 1; i <= n; i++) printf "member: cn=crew%04d,ou=crew,o=fleet\n", i
    print ""
  }'
}

make_certificates() {
  local tls="$1"
  mkdir -p "$tls"
  (
    cd "$tls"
    for ca in ca other-ca; do
      openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=vorlix test $ca" \
        -keyout "$ca.key" -out "$ca.pem" 2>/dev/null
    done
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key \
      -out server.csr 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n' >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile server.ext -out server.pem 2>/dev/null
    # From the same CA: a certificate for another host, one that has expired, and a client's.
    issue() { # name subject extensions days
      openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj "$2" \
        -keyout "$1.key" -out "$1.csr" 2>/dev/null
      printf '%s\nbasicConstraints=CA:FALSE\n' "$3" >"$1.ext"
      openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days "$4" \
        -extfile "$1.ext" -out "$1.pem" 2>/dev/null
    }
    issue wrong-host "/CN=elsewhere.example" "subjectAltName=DNS:elsewhere.example" 2
    issue expired "/CN=localhost" "subjectAltName=IP:127.0.0.1,DNS:localhost" -1
    issue client "/O=harbourline/CN=vorlix client" "extendedKeyUsage=clientAuth" 2
    chmod 600 ./*.key
  )
}

# slapd.conf for one server: $1 folder, $2 schema file, $3 "tls" or "", $4 indexes ("default",
# "none" or "names"), then the suffixes.
write_config() {
  local folder="$1" schema="$2" tls="$3" index="$4"
  shift 4
  {
    echo "include /etc/ldap/schema/core.schema"
    echo "include /etc/ldap/schema/cosine.schema"
    echo "include /etc/ldap/schema/inetorgperson.schema"
    echo "include $schema"
    echo "modulepath /usr/lib/ldap"
    echo "moduleload back_mdb"
    echo "pidfile $folder/slapd.pid"
    echo "rootDSE $folder/rootdse.ldif"
    echo "sizelimit size.soft=500 size.hard=500 size.prtotal=unlimited"
    if [ -n "$tls" ]; then
      echo "TLSCACertificateFile $dir/tls/ca.pem"
      echo "TLSCertificateFile $dir/tls/server.pem"
      echo "TLSCertificateKeyFile $dir/tls/server.key"
      # A client may show a certificate (for a SASL EXTERNAL bind); none is needed.
      echo "TLSVerifyClient allow"
    fi
    for suffix in "$@"; do
      mkdir -p "$folder/db-$suffix"
      echo "database mdb"
      echo "suffix \"o=$suffix\""
      echo "rootdn \"cn=admin,o=$suffix\""
      echo "rootpw $admin_password"
      echo "directory $folder/db-$suffix"
      echo "maxsize 268435456"
      [ "$index" = none ] || echo "index objectClass eq"
      [ "$index" = names ] && echo "index cn eq,sub"
      case "$suffix" in
        harbourline) echo "limits dn.exact=\"cn=limited,o=harbourline\" size.soft=5 size.hard=5 size.prtotal=disabled" ;;
        fleet) echo "limits dn.exact=\"cn=pager,o=fleet\" size.soft=500 size.hard=500 size.pr=100 size.prtotal=unlimited" ;;
        locked) echo "require authc" ;;
      esac
    done
  } >"$folder/slapd.conf"
  printf 'dn:\ndirectoryTreeName: HARBOURLINE_TREE\n' >"$folder/rootdse.ldif"
}

# Starts slapd of a folder on free ports; $2 "tls" adds an ldaps:// port. Prints the ports.
start_slapd() {
  local folder="$1" tls="$2" port tls_port="" urls
  for _ in $(seq 5); do
    port=$(free_port)
    urls="ldap://127.0.0.1:$port/"
    if [ -n "$tls" ]; then
      tls_port=$(free_port)
      urls="$urls ldaps://127.0.0.1:$tls_port/"
    fi
    if "$slapd" -f "$folder/slapd.conf" -h "$urls" 2>"$folder/slapd.log"; then
      for _ in $(seq 50); do
        alive "$folder/slapd.pid" && { echo "$port $tls_port"; return 0; }
        sleep 0.1
      done
    fi
  done
  echo "slapd did not start; see $folder/slapd.log" >&2
  cat "$folder/slapd.log" >&2
  return 1
}

start() {
  if [ -s "$dir/servers.env" ] && alive "$dir/main/slapd.pid" && alive "$dir/plain/slapd.pid"; then
    return 0
  fi
  [ -x "$slapd" ] || {
    echo "slapd is not installed (scripts/setup installs it)" >&2
    exit 1
  }
  stop_servers
  rm -rf "$dir/main" "$dir/plain" "$dir/tls"
  mkdir -p "$dir/main" "$dir/plain"
  make_certificates "$dir/tls"

  server_ldif "$root/data/sample-tree.ldif" >"$dir/harbourline.ldif"
  # Not a group: the sample tree's lookups through either client stay the same.
  printf 'dn: cn=limited,o=harbourline\nobjectClass: person\ncn: limited\nsn: Limited\nuserPassword: %s\n\n' \
    "$limited_password" >"$dir/limited.ldif"
  printf 'dn: cn=pager,o=fleet\nobjectClass: person\ncn: pager\nsn: Pager\nuserPassword: %s\n\n' \
    "$pager_password" >"$dir/pager.ldif"
  printf '%s\n' 'dn: o=locked' 'objectClass: organization' 'o: locked' '' \
    'dn: cn=Vault,o=locked' 'objectClass: groupOfNames' 'cn: Vault' 'member: o=locked' \
    >"$dir/locked.ldif"
  fleet_ldif >"$dir/fleet.ldif"
  server_ldif "$root/tests/data/directory/awkward-names.ldif" >"$dir/names.ldif"
  printf '%s\n' 'dn: o=faults' 'objectClass: organization' 'o: faults' '' \
    'dn: l=dock,o=faults' 'objectClass: locality' 'l: dock' '' \
    'dn: cn=crate,l=dock,o=faults' 'objectClass: device' 'cn: crate' 'description: In the dock' \
    >"$dir/faults.ldif"
  printf '%s\n' 'dn: o=scratch' 'objectClass: organization' 'o: scratch' >"$dir/scratch.ldif"
  sed "s/X-NDS_NAME '[^']*'//" "$root/data/sample-tree.schema" >"$dir/plain/plain.schema"

  write_config "$dir/main" "$root/data/sample-tree.schema" tls "$indexes" harbourline fleet names \
    faults locked scratch
  write_config "$dir/plain" "$dir/plain/plain.schema" "" none harbourline
  for suffix in harbourline fleet names faults locked scratch; do
    "$slapadd" -q -f "$dir/main/slapd.conf" -b "o=$suffix" -l "$dir/$suffix.ldif"
  done
  "$slapadd" -q -f "$dir/main/slapd.conf" -b "o=harbourline" -l "$dir/limited.ldif"
  "$slapadd" -q -f "$dir/main/slapd.conf" -b "o=fleet" -l "$dir/pager.ldif"
  "$slapadd" -q -f "$dir/plain/slapd.conf" -b "o=harbourline" -l "$dir/harbourline.ldif"

  read -r port tls_port < <(start_slapd "$dir/main" tls)
  read -r plain_port _ < <(start_slapd "$dir/plain" "")
  cat >"$dir/servers.env" <<EOF
LDAP_URL=ldap://127.0.0.1:$port
LDAPS_URL=ldaps://127.0.0.1:$tls_port
PLAIN_URL=ldap://127.0.0.1:$plain_port
CA_FILE=$dir/tls/ca.pem
OTHER_CA_FILE=$dir/tls/other-ca.pem
ADMIN_DN=cn=admin,o=harbourline
ADMIN_PASSWORD=$admin_password
LIMITED_DN=cn=limited,o=harbourline
LIMITED_PASSWORD=$limited_password
PAGER_DN=cn=pager,o=fleet
PAGER_PASSWORD=$pager_password
FLEET_LDIF=$dir/fleet.ldif
NAMES_LDIF=$dir/names.ldif
CLIENT_CERT=$dir/tls/client.pem
CLIENT_KEY=$dir/tls/client.key
WRONG_HOST_CERT=$dir/tls/wrong-host.pem
WRONG_HOST_KEY=$dir/tls/wrong-host.key
EXPIRED_CERT=$dir/tls/expired.pem
EXPIRED_KEY=$dir/tls/expired.key
EOF
}

case "$command" in
  start)
    mkdir -p "$dir"
    start
    ;;
  stop) [ -d "$dir" ] && stop_servers ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 64
    ;;
esac
