#!/usr/bin/env bash
# Builds the Debian packages as scripts/package does, into BUILD_DIR/debian-package/out, for the
# package tests that follow; the build with the package's flags prints no warning.
# Usage: deb_build.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 work=$2/debian-package
. "$source/tests/packaging/deb_common.sh"

rm -rf "$work/out"
bash "$source/packaging/debian_build.sh" "$source" "$work" "$work/out" || fail "the build failed"
warnings=$(grep -E ': warning:|^dh_[a-z_]+: warning|^CMake Warning|^dpkg-[a-z]+: warning' \
  "$work/build.log" || true)
[ -z "$warnings" ] || fail "the package build warns:"$'\n'"$warnings"
ls "$work/out"
