#!/usr/bin/env bash
# lintian --pedantic on the source and binary packages of the build reports no error and no
# warning, nor the hardening and spelling tags it only reports as information; every tag the
# packaging overrides carries a comment that says why.
# Usage: deb_lintian_test.sh SOURCE_DIR OUT_DIR
set -euo pipefail
source=$1 out=$2
. "$source/tests/packaging/deb_common.sh"

for overrides in "$source"/debian/*lintian-overrides "$source"/debian/source/lintian-overrides; do
  [ -f "$overrides" ] || continue
  awk -v file="$overrides" '
    /^[[:space:]]*#/ { commented = 1; next }
    /^[[:space:]]*$/ { commented = 0; next }
    !commented { print file ":" NR ": an override without a comment: " $0; bad = 1 }
    END { exit bad }' "$overrides" >&2 || fail "uncommented lintian overrides"
done

changes=$out/vorlix_${version}_$arch.changes
[ -f "$changes" ] || fail "$changes was not built"
report=$(lintian --pedantic --display-info --fail-on none "$changes" 2>&1) ||
  fail "lintian could not check the packages:"$'\n'"$report"
report=$(grep -v '^running with root privileges' <<<"$report" || true)
echo "$report"
bad=$(grep -E '^[EW]: |^I: [^ ]+: (hardening-|spelling-error-)' <<<"$report" || true)
[ -z "$bad" ] || fail "lintian reports:"$'\n'"$bad"
