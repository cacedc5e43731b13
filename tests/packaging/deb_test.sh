#!/usr/bin/env bash
# Builds the Debian package from the already built tree with CPack, unpacks it with dpkg-deb
# and checks its file list, that Depends names the package of every shared library the
# programs load (and no development package), and that the unpacked vorlix-cli runs.
# Usage: deb_test.sh BUILD_DIR gui|nogui
set -euo pipefail
build=$1 gui=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/out/vorlix_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single vorlix_*.deb was built"
deb=${debs[0]}
[ "$(dpkg-deb -f "$deb" Package)" = vorlix ] || fail "the package is not named vorlix"

# The file list, exactly.
expected=(./usr/bin/vorlix-cli ./usr/share/man/man1/vorlix-cli.1
          ./usr/share/bash-completion/completions/vorlix-cli
          ./usr/share/vorlix/sample-tree.ldif ./usr/share/vorlix/sample-tree.schema)
if [ "$gui" = gui ]; then
  expected+=(./usr/bin/vorlix ./usr/share/applications/vorlix.desktop
             ./usr/share/icons/hicolor/scalable/apps/vorlix.svg)
fi
want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)
[ "$got" = "$want" ] || fail "the package holds"$'\n'"$got"$'\n'"instead of"$'\n'"$want"

# Depends: the package of every library the programs link is named; no -dev package is.
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package declares no Depends"
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/[[:space:]]//g' | sort -u)
! grep -q -- '-dev$' <<<"$names" || fail "Depends names a development package: $depends"
dpkg-deb -x "$deb" "$work/root"
programs=("$work/root/usr/bin/vorlix-cli")
[ "$gui" = gui ] && programs+=("$work/root/usr/bin/vorlix")
for program in "${programs[@]}"; do
  # The libraries the program names itself; theirs come with their packages' own Depends.
  resolved=$(ldd "$program")
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    library=$(awk -v name="$soname" '$1 == name && $2 == "=>" { print $3 }' <<<"$resolved")
    [ -n "$library" ] || fail "$(basename "$program") needs $soname, which is not found"
    owner=$(dpkg -S "$(readlink -f "$library")" 2>/dev/null || dpkg -S "$library" 2>/dev/null) ||
      fail "no package owns $library"
    package=${owner%%:*}
    grep -qx -- "$package" <<<"$names" ||
      fail "$(basename "$program") links $library of $package, which Depends does not name: $depends"
  done
done
[ "$(dpkg-deb -f "$deb" Recommends)" = xdg-utils ] || fail "xdg-utils is not recommended"

# The unpacked program finds the sample tree beside it in usr/share/vorlix.
[ "$(env -u XDG_CONFIG_HOME HOME="$work" "$work/root/usr/bin/vorlix-cli" tree)" = HARBOURLINE_TREE ] ||
  fail "the unpacked vorlix-cli did not read the sample tree"
echo "$(basename "$deb"): Depends: $depends"
