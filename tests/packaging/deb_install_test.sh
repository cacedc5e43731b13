#!/usr/bin/env bash
# Installs the built vorlix-cli and vorlix with dpkg into a scratch root (the machine's own
# packages are not touched), runs both programs from there, the command line also through the
# package's autopkgtest, then purges both and checks that the root is as before.
# Usage: deb_install_test.sh SOURCE_DIR OUT_DIR
set -euo pipefail
# The window needs an X display; without one the test runs on a virtual one.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a bash "$0" "$@"; fi
source=$1 out=$2
. "$source/tests/packaging/deb_common.sh"
work=$(mktemp -d)
window=
trap '[ -z "$window" ] || kill "$window" 2>/dev/null; rm -rf "$work"' EXIT

# An empty dpkg database in the root. The scratch root has none of the packages these depend
# on (the running system has them) and no shell for maintainer scripts, which these packages
# do not have anyway.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root() {
  local as=()
  [ "$(id -u)" -eq 0 ] || as=(fakeroot)
  "${as[@]}" dpkg --root="$root" --log="$work/dpkg.log" --force-not-root --force-depends \
    --force-script-chrootless "$@" >>"$work/dpkg.out" 2>&1 ||
    { cat "$work/dpkg.out" >&2; fail "dpkg $*"; }
}
snapshot() { (cd "$root" && find . ! -path './var/lib/dpkg/*-old' | sort); }
dpkg_root --configure -a
before=$(snapshot)

dpkg_root --install "$(package_file vorlix-cli)" "$(package_file vorlix)"
status=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Package} ${Status}\n' | sort)
[ "$status" = $'vorlix install ok installed\nvorlix-cli install ok installed' ] ||
  fail "after the install dpkg says:"$'\n'"$status"

# No one's configuration: the programs open the sample tree installed with them.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"
[ "$("$root/usr/bin/vorlix-cli" tree)" = HARBOURLINE_TREE ] ||
  fail "the installed vorlix-cli did not open the installed sample tree"
mkdir "$work/autopkgtest"
PATH=$root/usr/bin:$PATH AUTOPKGTEST_TMP=$work/autopkgtest "$source/debian/tests/sample-tree" ||
  fail "the autopkgtest sample-tree failed"

# The window, on the X display through the platform plugin it depends on, shows the installed
# sample tree's name in its caption once it has started.
window_shown() {
  local id
  for id in $(xwininfo -root -tree | awk '/HARBOURLINE_TREE/ { print $1 }'); do
    xprop -id "$id" _NET_WM_PID | grep -q " = $window\$" && return 0
  done
  return 1
}
QT_QPA_PLATFORM=xcb "$root/usr/bin/vorlix" >"$work/window.log" 2>&1 &
window=$!
for ((tenths = 0; ; ++tenths)); do
  window_shown && break
  kill -0 "$window" 2>/dev/null || { cat "$work/window.log" >&2; fail "vorlix ended"; }
  [ $tenths -lt 1200 ] || fail "no vorlix window with the tree name in its caption appeared"
  sleep 0.1
done
kill "$window"
wait "$window" 2>/dev/null || true
window=

dpkg_root --purge vorlix vorlix-cli
[ -z "$(dpkg-query --admindir="$root/var/lib/dpkg" -W 2>/dev/null)" ] ||
  fail "dpkg still knows the packages after the purge"
after=$(snapshot)
[ "$after" = "$before" ] || fail "the purge left behind:"$'\n'"$(diff <(echo "$before") <(echo "$after"))"
echo "installed into, ran from and purged from $root"
