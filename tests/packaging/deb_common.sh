# Shared by the Debian package tests: how a test fails, and the packages of the build.
# Sourced; sets version and arch from SOURCE_DIR's debian/changelog and the host.

fail() { echo "FAIL: $*" >&2; exit 1; }

# The package file PACKAGE (vorlix, vorlix-cli, vorlix-dbgsym, ...) of OUT_DIR.
package_file() {
  local file=$out/$1_${version}_$arch.deb
  [ -f "$file" ] || fail "$file was not built"
  echo "$file"
}

# The paths a package holds, without its folders, one a line, sorted.
package_paths() {
  dpkg-deb --fsys-tarfile "$1" | tar -tvf - | awk '$1 !~ /^d/ { sub(/ -> .*/, ""); print $NF }' |
    sed 's|^\./|/|' | sort
}

version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
