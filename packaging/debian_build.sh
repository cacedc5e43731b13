#!/usr/bin/env bash
# Builds the Debian source and binary packages (vorlix-cli, vorlix and their -dbgsym packages)
# with dpkg-buildpackage from a clean copy of the source tree, so that neither the build nor
# the source package sees build folders or files that are not part of the project.
# Usage: debian_build.sh SOURCE_DIR WORK_DIR OUT_DIR
#   WORK_DIR holds the copy (WORK_DIR/vorlix-VERSION) and build.log, OUT_DIR receives the .dsc,
#   the source tarball, the .deb and .ddeb files, .buildinfo and .changes.
set -euo pipefail
source=$(realpath "$1") work=$2 out=$3
fail() { echo "debian_build.sh: $*" >&2; exit 1; }

version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
mkdir -p "$work" "$out"
work=$(realpath "$work")
tree=$work/vorlix-$version
rm -rf "$tree" "$work"/vorlix_*
mkdir -p "$tree"

# The project's files: what git tracks or would track, else everything but the build output.
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
    tar --null -T - -cf -) | tar -C "$tree" -xf -
else
  tar -C "$source" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude=./out \
    --exclude='./obj-*' -cf - . | tar -C "$tree" -xf -
fi

# debhelper gives the build its own HOME; a compiler cache keeps the user's cache folder.
if command -v ccache >/dev/null && [ -z "${CCACHE_DIR:-}" ]; then
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
export DEB_BUILD_OPTIONS="parallel=$(nproc)${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
(cd "$tree" && dpkg-buildpackage --build=full --no-sign) >"$work/build.log" 2>&1 ||
  { tail -n 50 "$work/build.log" >&2; fail "dpkg-buildpackage failed; the whole log is $work/build.log"; }

changes=$work/vorlix_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).changes
[ -f "$changes" ] || fail "no $changes was written"
rm -f "$out"/vorlix_* "$out"/vorlix-cli_* "$out"/vorlix-dbgsym_* "$out"/vorlix-cli-dbgsym_*
# The files the .changes lists, and the .changes itself.
awk '/^Files:/ { files = 1; next } /^[^ ]/ { files = 0 } files { print $NF }' "$changes" |
  while read -r file; do mv "$work/$file" "$out/"; done
mv "$changes" "$out/"
rm -rf "$tree"
