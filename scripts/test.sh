#!/usr/bin/env bash
# Installs what is missing, checks that every source file is clang-formatted, builds
# everything and runs every test twice: in a normal build, then in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer; last, the two fuzzers share a minute:
# the document reader's from its regression inputs, the CSV import's from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tinselwick-runtime.XXXXXX)}"
chmod 0700 "$XDG_RUNTIME_DIR"

echo "== formatting (clang-format 14) =="
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t sources < <(find bench fuzz src tests -name '*.cpp' -o -name '*.h')
fi
if ! clang-format-14 --dry-run --Werror "${sources[@]}"; then
  echo "Not formatted: run clang-format-14 -i on the files named above." >&2
  exit 1
fi

echo "== normal build =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== sanitizer build (address, undefined) =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTINSELWICK_SANITIZE=ON -DTINSELWICK_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd build-asan && ctest --output-on-failure -j"$jobs")

echo "== document fuzzer, 35 seconds =="
bash scripts/fuzz.sh 35
echo "== CSV import fuzzer, 25 seconds =="
bash scripts/fuzz.sh 25 csv
