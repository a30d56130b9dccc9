#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it: lintian finds no
# error, the dependencies were worked out from the programs, and it holds exactly
# the files the install rules install.
# Usage: CheckDebianPackage.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail cpack; }
deb=$(ls "$work"/package/*.deb)
echo "lintian on $(basename "$deb"):"
lintian --fail-on error --no-tag-display-limit "$deb" || fail lintian
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "dependencies: $(dpkg-deb -f "$deb" Depends)"

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
diff <(cd "$work/root" && find . -type f | sort) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort) \
  || fail "the package's files differ from the installed ones"
echo "debian package: all checks passed"
