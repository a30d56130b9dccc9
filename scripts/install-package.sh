#!/usr/bin/env bash
# Builds the Debian package in build-deb/ and installs it with apt-get, which brings the
# libraries it needs: as root, or through sudo for anybody else.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DTINSELWICK_TESTS=OFF -DTINSELWICK_BENCH=OFF >/dev/null
cmake --build build-deb -j"$(nproc)"
# A package of an earlier version would be installed beside this one.
rm -f build-deb/tinselwick_*.deb
(cd build-deb && cpack -G DEB >/dev/null)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
"${as_root[@]}" apt-get install -y --no-install-recommends ./build-deb/tinselwick_*.deb
