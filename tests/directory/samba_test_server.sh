#!/usr/bin/env bash
# Starts and stops the throw-away Samba Active Directory domain controller of the tests and
# benchmarks, and runs commands where it can be reached.
#
#   samba_test_server.sh start DIR [CACHE]  provision the domain into DIR and start Samba
#   samba_test_server.sh stop DIR           stop the Samba started in DIR (nothing when none runs)
#   samba_test_server.sh run DIR CMD...     run CMD where the domain controller is reachable
#   samba_test_server.sh load DIR FILE...   stop Samba, add the entries of LDIF files, start it
#
# Samba's ports are fixed (LDAP 389, LDAPS 636, Kerberos 88), so it runs in a network namespace of
# its own, with only the loopback device, and in a mount namespace whose /etc/hosts names the
# domain controller dc1.vorlix.test at 127.0.0.1: nothing on the machine clashes with it, a system
# Samba included, and several checkouts can run theirs at once. "run" enters both namespaces.
# Making them needs root; without it, DIR/samba.env holds SAMBA_SKIP, the reason the tests give
# for skipping, and "run" runs CMD as it is.
#
# The domain: realm VORLIX.TEST (DC=vorlix,DC=test), administrator@vorlix.test with
# SAMBA_ADMIN_PASSWORD, the tree of tests/data/directory/samba-tree.ldif, and OU=Fleet with 5,000
# contacts, each with a phone, all members of the group "Fleet Crew". Provisioning and loading
# take a minute or two; with CACHE the prepared domain is kept there and copied on later starts.
# The LDAP certificate is issued at start by a CA made then.
#
# DIR/samba.env holds shell assignments: SAMBA_SKIP, or SAMBA_PID (the server, whose namespaces
# "run" enters), SAMBA_LDAP_URL, SAMBA_LDAPS_URL, SAMBA_BASE, SAMBA_REALM, SAMBA_ADMIN,
# SAMBA_ADMIN_PASSWORD, SAMBA_CA_FILE, SAMBA_KRB5_CONFIG. With VORLIX_TEST_SAMBA_DIR set, that
# folder is used instead of DIR.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
command="${1:-}"
dir="${VORLIX_TEST_SAMBA_DIR:-${2:-}}"
[ -n "$command" ] && [ -n "$dir" ] || {
  echo "usage: $0 start DIR [CACHE] | stop DIR | run DIR COMMAND... | load DIR FILE..." >&2
  exit 64
}

realm=VORLIX.TEST
domain=vorlix.test
base="DC=vorlix,DC=test"
host=dc1.$domain
admin_password="Vorlix-Admin-1"
fleet_size=5000
ready_seconds=120

env_value() { sed -n "s/^$1=//p" "$dir/samba.env" 2>/dev/null; }
alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }

stop_server() {
  local pid
  pid=$(env_value SAMBA_PID)
  alive "$pid" || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    alive "$pid" || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

skip() {
  echo "SAMBA_SKIP=$1" >"$dir/samba.env"
  echo "Samba AD tests skipped: $1" >&2
  exit 0
}

fleet_ldif() {
  awk -v n="$fleet_size" -v base="$base" 'BEGIN {
    printf "dn: OU=Fleet,%s\nobjectClass: top\nobjectClass: organizationalUnit\nou: Fleet\n\n", base
    for (i = 1; i <= n; i++) {
      printf "dn: CN=crew%04d,OU=Fleet,%s\nobjectClass: top\nobjectClass: contact\n", i, base
      printf "cn: crew%04d\ntelephoneNumber: +31 10 556 %04d\n\n", i, i
    }
    printf "dn: CN=Fleet Crew,OU=Fleet,%s\nobjectClass: top\nobjectClass: group\n", base
    printf "cn: Fleet Crew\ndescription: Everybody aboard\n"
    for (i = 1; i <= n; i++) printf "member: CN=crew%04d,OU=Fleet,%s\n", i, base
    print ""
  }'
}

# Provisions the domain into $1 and loads the test tree.
provision() {
  local target="$1"
  rm -rf "$target"
  samba-tool domain provision --realm="$realm" --domain=VORLIX --server-role=dc \
    --dns-backend=NONE --adminpass="$admin_password" --targetdir="$target" --host-name=dc1 \
    --option="interfaces=lo" --option="bind interfaces only=yes" \
    --option="log file=$target/log.%m" >"$target.provision.log" 2>&1 || {
    cat "$target.provision.log" >&2
    return 1
  }
  # Kerberos binds to LDAP ask for this name; Samba adds it itself only with its DNS service.
  samba-tool spn add "ldap/$host" 'DC1$' -s "$target/etc/smb.conf" >/dev/null
  fleet_ldif >"$target/fleet.ldif"
  /usr/bin/python3 "$here/samba_load.py" "$target/etc/smb.conf" \
    "$root/tests/data/directory/samba-tree.ldif" "$target/fleet.ldif"
}

# The prepared domain in $dir/domain: copied from the cache when it holds one made by this script
# from the same tree, else provisioned (and kept in the cache).
prepare_domain() {
  local cache="${1:-}" stamp
  stamp="$(cat "$0" "$here/samba_load.py" "$root/tests/data/directory/samba-tree.ldif" |
    sha256sum | cut -c1-16) $(samba --version)"
  if [ -n "$cache" ] && [ -s "$cache/domain.tar" ] && [ "$(cat "$cache/stamp" 2>/dev/null)" = "$stamp" ]; then
    rm -rf "$dir/domain"
    mkdir -p "$dir/domain"
    tar -xf "$cache/domain.tar" -C "$dir/domain"
    sed -i "s#$(cat "$cache/path")#$dir/domain#g" "$dir/domain/etc/smb.conf"
    return 0
  fi
  provision "$dir/domain"
  if [ -n "$cache" ]; then
    mkdir -p "$cache"
    tar -cf "$cache/domain.tar.new" -C "$dir/domain" .
    mv "$cache/domain.tar.new" "$cache/domain.tar"
    echo "$dir/domain" >"$cache/path"
    echo "$stamp" >"$cache/stamp"
  fi
}

make_certificates() {
  local tls="$dir/tls"
  rm -rf "$tls"
  mkdir -p "$tls"
  (
    cd "$tls"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
      -subj "/CN=vorlix test samba ca" -keyout ca.key -out ca.pem 2>/dev/null
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj "/CN=$host" \
      -keyout server.key -out server.csr 2>/dev/null
    printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:FALSE\n' "$host" >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile server.ext -out server.pem 2>/dev/null
    chmod 600 ./*.key
  )
}

# Runs in the new namespaces: the loopback device up, the hosts file, then Samba itself (its
# process keeps the namespaces).
inside() {
  ip link set lo up
  mount --bind "$dir/hosts" /etc/hosts
  exec samba -s "$dir/domain/etc/smb.conf" -M single -F --no-process-group \
    --option="server services=ldap kdc" --option="log file=$dir/samba.log" \
    --option="pid directory=$dir" --option="tls enabled=yes" \
    --option="tls keyfile=$dir/tls/server.key" --option="tls certfile=$dir/tls/server.pem" \
    --option="tls cafile=$dir/tls/ca.pem"
}

in_namespace() {
  nsenter --target "$(env_value SAMBA_PID)" --net --mount -- "$@"
}

start_server() {
  printf '127.0.0.1\t%s dc1 localhost\n::1\tlocalhost\n' "$host" >"$dir/hosts"
  setsid unshare --net --mount --propagation private -- "$0" inside "$dir" \
    </dev/null >"$dir/samba.out" 2>&1 &
  local pid=$!
  echo "SAMBA_PID=$pid" >"$dir/samba.env"
  for _ in $(seq $((ready_seconds * 10))); do
    alive "$pid" || break
    if in_namespace ldapsearch -x -H "ldap://127.0.0.1" -b "" -s base >/dev/null 2>&1 &&
      in_namespace bash -c 'exec 3<>/dev/tcp/127.0.0.1/88' 2>/dev/null; then
      return 0
    fi
    sleep 0.1
  done
  echo "Samba did not start; see $dir/samba.out and $dir/samba.log" >&2
  tail -20 "$dir/samba.out" >&2 || true
  stop_server
  return 1
}

write_env() {
  cat >"$dir/krb5.conf" <<EOF
[libdefaults]
	default_realm = $realm
	dns_lookup_realm = false
	dns_lookup_kdc = false
	rdns = false
[realms]
	$realm = {
		kdc = 127.0.0.1
	}
[domain_realm]
	.$domain = $realm
	$domain = $realm
EOF
  cat >>"$dir/samba.env" <<EOF
SAMBA_LDAP_URL=ldap://$host
SAMBA_LDAPS_URL=ldaps://$host
SAMBA_BASE=$base
SAMBA_REALM=$realm
SAMBA_ADMIN=administrator@$domain
SAMBA_ADMIN_PASSWORD=$admin_password
SAMBA_CA_FILE=$dir/tls/ca.pem
SAMBA_KRB5_CONFIG=$dir/krb5.conf
EOF
}

start() {
  local cache="${1:-}"
  if alive "$(env_value SAMBA_PID)"; then return 0; fi
  [ "$(id -u)" -eq 0 ] || skip "giving Samba a network of its own (unshare --net) needs root"
  command -v samba-tool >/dev/null || {
    echo "samba-tool is not installed (scripts/setup installs samba-ad-dc)" >&2
    exit 1
  }
  prepare_domain "$cache"
  make_certificates
  start_server
  write_env
}

case "$command" in
  start)
    mkdir -p "$dir"
    start "${3:-}"
    ;;
  stop) [ -d "$dir" ] && stop_server ;;
  inside) inside ;;
  run)
    shift 2
    # The command runs in the folder it was started in.
    if alive "$(env_value SAMBA_PID)"; then
      exec nsenter --target "$(env_value SAMBA_PID)" --net --mount --wd="$PWD" -- "$@"
    fi
    exec "$@"
    ;;
  load)
    shift 2
    stop_server
    /usr/bin/python3 "$here/samba_load.py" "$dir/domain/etc/smb.conf" "$@"
    start_server
    write_env
    ;;
  *)
    echo "usage: $0 start DIR [CACHE] | stop DIR | run DIR COMMAND... | load DIR FILE..." >&2
    exit 64
    ;;
esac
