#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and runs the installed programs from there:
# the sample tree is found under share/vorlix with no data beside the executable, an export is
# written, and the configuration is looked for beside the executable, then in
# $XDG_CONFIG_HOME (or ~/.config), in that order. Also checks the menu entry, the icon, the
# AppStream metadata and the manual pages, and that vorlix-cli's manual page describes every
# command, option and choice that vorlix-cli's help shows.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR gui|nogui
set -euo pipefail
build=$1 source=$2 gui=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cli=$prefix/bin/vorlix-cli

expected=(bin/vorlix-cli share/vorlix/sample-tree.ldif share/vorlix/sample-tree.schema
          share/man/man1/vorlix-cli.1 share/bash-completion/completions/vorlix-cli)
if [ "$gui" = gui ]; then
  expected+=(bin/vorlix share/applications/vorlix.desktop
             share/icons/hicolor/scalable/apps/vorlix.svg share/man/man1/vorlix.1
             share/metainfo/org.example.vorlix.metainfo.xml)
fi
for file in "${expected[@]}"; do [ -f "$prefix/$file" ] || fail "$file was not installed"; done
[ -x "$cli" ] || fail "bin/vorlix-cli is not executable"
[ ! -e "$prefix/bin/data" ] || fail "data/ was installed beside the executables"

# No configuration anywhere: the installed sample tree.
home=$work/home
mkdir -p "$home"
run() { env -u XDG_CONFIG_HOME HOME="$home" "$@"; }
[ "$(run "$cli" tree)" = HARBOURLINE_TREE ] || fail "the installed sample tree was not found"

# An export from the installed program: the workbook holds the cells of the CSV export.
for format in csv xlsx; do
  run "$cli" export --kind workstation Depot --format $format --output "$work/depot.$format" ||
    fail "export --format $format failed"
done
/usr/bin/python3 "$source/tests/export/xlsx/xlsx_readers.py" csv "$work/depot.xlsx" \
  "$work/depot.csv" >/dev/null || fail "the installed program's workbook differs from its CSV"

# Trees that say where the configuration came from.
tree_named() { sed "s/^directoryTreeName: .*/directoryTreeName: $1/" \
  "$prefix/share/vorlix/sample-tree.ldif" >"$work/$1.ldif"; }
config_for() { mkdir -p "$(dirname "$2")"; printf '[DIRECTORY]\nsource=%s\n' "$work/$1.ldif" >"$2"; }
for name in HOME_TREE XDG_TREE BESIDE_TREE; do tree_named $name; done

config_for HOME_TREE "$home/.config/vorlix/vorlix.ini"
[ "$(run "$cli" tree)" = HOME_TREE ] || fail "~/.config/vorlix/vorlix.ini was not read"
config_for XDG_TREE "$work/xdg/vorlix/vorlix.ini"
[ "$(run env XDG_CONFIG_HOME="$work/xdg" "$cli" tree)" = XDG_TREE ] ||
  fail "\$XDG_CONFIG_HOME/vorlix/vorlix.ini was not read before ~/.config"
[ "$(run env XDG_CONFIG_HOME=relative "$cli" tree)" = HOME_TREE ] ||
  fail "a relative XDG_CONFIG_HOME was not ignored"
config_for BESIDE_TREE "$prefix/bin/vorlix.ini"
[ "$(run env XDG_CONFIG_HOME="$work/xdg" "$cli" tree)" = BESIDE_TREE ] ||
  fail "vorlix.ini beside the executable did not come first"

# The menu entry, the icon, the AppStream metadata and the manual pages are well-formed.
if [ "$gui" = gui ]; then
  desktop-file-validate "$prefix/share/applications/vorlix.desktop" ||
    fail "the .desktop file is not valid"
  grep -qx 'Exec=vorlix' "$prefix/share/applications/vorlix.desktop" || fail "Exec is not vorlix"
  grep -qx 'Icon=vorlix' "$prefix/share/applications/vorlix.desktop" || fail "Icon is not vorlix"
  /usr/bin/python3 -c "
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == '{http://www.w3.org/2000/svg}svg' and root.get('viewBox') else 1)
" "$prefix/share/icons/hicolor/scalable/apps/vorlix.svg" || fail "the icon is not an SVG image"
  appstreamcli validate --no-net --strict --pedantic \
    "$prefix/share/metainfo/org.example.vorlix.metainfo.xml" || fail "the metainfo is not valid"
fi
for man_page in "$prefix"/share/man/man1/*.1; do
  warnings=$(groff -man -Tutf8 -ww -z "$man_page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $(basename "$man_page"): $warnings"
done
man_page=$prefix/share/man/man1/vorlix-cli.1
manual=$(groff -man -Tutf8 -P-cbou -rLL=200n -rHY=0 "$man_page")
help=$(run "$cli" --help)
commands=$(sed -n '/^Subcommands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z]+' | tr -d ' ')
[ -n "$commands" ] || fail "vorlix-cli --help lists no commands"
for command in $commands; do
  grep -qE "^ +$command( |$)" <<<"$manual" || fail "the manual page does not describe $command"
  help+=$'\n'$(run "$cli" "$command" --help)
done
for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
  grep -q -- "$option" <<<"$manual" || fail "the manual page does not mention $option"
done
for value in $(grep -oE -- '--(format|kind) [a-z]+(\|[a-z]+)+' <<<"$help" | cut -d' ' -f2 | tr '|' '\n' |
               sort -u); do
  grep -qE -- "(^ +$value( |\$)|\|$value\b|\b$value\|)" <<<"$manual" ||
    fail "the manual page does not describe $value"
done
echo "installed and ran from $prefix"
