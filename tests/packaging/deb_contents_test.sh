#!/usr/bin/env bash
# The built Debian packages: what each holds, what each depends on (vorlix-cli on no Qt
# library), that their programs are stripped and hardened with their debug symbols in the
# -dbgsym packages, and that the changelog, the build and the AppStream release name one
# version.
# Usage: deb_contents_test.sh SOURCE_DIR OUT_DIR
set -euo pipefail
source=$1 out=$2
. "$source/tests/packaging/deb_common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cli=$(package_file vorlix-cli)
gui=$(package_file vorlix)

# What each package holds, exactly.
expect_paths() {
  local deb=$1
  shift
  local want got
  want=$(printf '%s\n' "$@" | sort)
  got=$(package_paths "$deb")
  [ "$got" = "$want" ] || fail "$(basename "$deb") holds"$'\n'"$got"$'\n'"instead of"$'\n'"$want"
}
expect_paths "$cli" /usr/bin/vorlix-cli /usr/share/bash-completion/completions/vorlix-cli \
  /usr/share/doc/vorlix-cli/README.md.gz /usr/share/doc/vorlix-cli/changelog.gz \
  /usr/share/doc/vorlix-cli/copyright /usr/share/doc/vorlix-cli/examples/README \
  /usr/share/doc/vorlix-cli/examples/active-directory.ini /usr/share/man/man1/vorlix-cli.1.gz \
  /usr/share/vorlix/sample-tree.ldif /usr/share/vorlix/sample-tree.schema
expect_paths "$gui" /usr/bin/vorlix /usr/share/applications/vorlix.desktop \
  /usr/share/doc/vorlix/changelog.gz /usr/share/doc/vorlix/copyright \
  /usr/share/icons/hicolor/scalable/apps/vorlix.svg /usr/share/man/man1/vorlix.1.gz \
  /usr/share/metainfo/org.example.vorlix.metainfo.xml

# Relations: the command line pulls in no Qt; the window pulls in the command line of the same
# build and the Qt platform plugins, which Qt itself only recommends.
relations() {
  local field
  for field in Pre-Depends Depends Recommends; do dpkg-deb -f "$1" "$field"; done |
    tr ',|' '\n\n' | sed 's/[[:space:]]//g' | grep -v '^$' | sort -u
}
cli_relations=$(relations "$cli")
[ -n "$cli_relations" ] || fail "vorlix-cli declares no dependency"
! grep -iq 'qt' <<<"$cli_relations" ||
  fail "vorlix-cli depends on Qt: $(dpkg-deb -f "$cli" Depends)"
gui_relations=$(relations "$gui")
grep -qx "vorlix-cli(=$version)" <<<"$gui_relations" ||
  fail "vorlix does not depend on vorlix-cli (= $version): $(dpkg-deb -f "$gui" Depends)"
grep -qx 'qt6-qpa-plugins' <<<"$gui_relations" ||
  fail "vorlix does not depend on qt6-qpa-plugins: $(dpkg-deb -f "$gui" Depends)"
! grep -q -- '-dev\b' <<<"$cli_relations$gui_relations" || fail "a -dev package is a dependency"

# Every library a program names is a dependency of its package (the shlibs substitution).
for deb in "$cli" "$gui"; do
  root=$work/$(dpkg-deb -f "$deb" Package)
  dpkg-deb -x "$deb" "$root"
  program=$root/usr/bin/$(dpkg-deb -f "$deb" Package)
  names=$(relations "$deb" | sed 's/(.*)//')
  resolved=$(ldd "$program")
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    library=$(awk -v name="$soname" '$1 == name && $2 == "=>" { print $3 }' <<<"$resolved")
    [ -n "$library" ] || fail "$(basename "$program") needs $soname, which is not found"
    owner=$(dpkg -S "$(readlink -f "$library")" 2>/dev/null || dpkg -S "$library" 2>/dev/null) ||
      fail "no package owns $library"
    grep -qx -- "${owner%%:*}" <<<"$names" ||
      fail "$(basename "$program") links $library of ${owner%%:*}, which is no dependency"
  done

  # Stripped, hardened, and its debug symbols under its build ID in the -dbgsym package.
  ! readelf -S "$program" | grep -qE '\.(symtab|debug_info)\b' ||
    fail "$(basename "$program") is not stripped"
  # What hardening=+all turns on with this toolchain: PIE, stack protector, fortified functions,
  # RELRO, immediate binding (control-flow protection is not among them).
  report=$(hardening-check --nocfprotection "$program") || fail "$(basename "$program") is not hardened:"$'\n'"$report"
  build_id=$(readelf -n "$program" | sed -n 's/.*Build ID: *//p')
  [ -n "$build_id" ] || fail "$(basename "$program") has no build ID"
  dbgsym=$(package_file "$(dpkg-deb -f "$deb" Package)-dbgsym")
  package_paths "$dbgsym" | grep -qx "/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug" ||
    fail "$(basename "$dbgsym") lacks the debug symbols of build ID $build_id"
done

# One version: the changelog's, the program's own, and the newest AppStream release.
[ "$(HOME=$work "$work/vorlix-cli/usr/bin/vorlix-cli" --version)" = "vorlix-cli v$version" ] ||
  fail "vorlix-cli --version does not say $version"
grep -qE "^project\(vorlix VERSION $version " "$source/CMakeLists.txt" ||
  fail "CMakeLists.txt names another version than debian/changelog's $version"
release=$(/usr/bin/python3 -c '
import sys, xml.etree.ElementTree as ET
print(ET.parse(sys.argv[1]).getroot().find("releases/release").get("version"))
' "$work/vorlix/usr/share/metainfo/org.example.vorlix.metainfo.xml")
[ "$release" = "$version" ] || fail "the AppStream release is $release, not $version"
echo "vorlix-cli: $(dpkg-deb -f "$cli" Depends)"
echo "vorlix: $(dpkg-deb -f "$gui" Depends)"
