#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it for SECONDS (default 60):
#   bash scripts/fuzz.sh [SECONDS] [documents|csv]
# "documents" (the default) is the document reader's target, "csv" the participant-list
# import's (with the reader of pairs). Inputs that crash land in fuzz-out/artifacts/ or
# fuzz-out/csv-artifacts/; keep a document as a named regression file under
# tests/data/fuzz-regressions/, a CSV file as a named row of the exchange tests.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
target="${2:-documents}"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTINSELWICK_FUZZ=ON -DTINSELWICK_TESTS=OFF -DTINSELWICK_BENCH=OFF >/dev/null

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
case "$target" in
  documents)
    cmake --build build-fuzz -j2 --target kks_document_fuzzer
    mkdir -p fuzz-out/corpus fuzz-out/artifacts
    cp -n tests/data/*.kks tests/data/fuzz-regressions/*.kks fuzz-out/corpus/ 2>/dev/null || true
    # malloc_limit_mb turns any single allocation above 64 MB into a reported failure.
    build-fuzz/fuzz/kks_document_fuzzer fuzz-out/corpus \
      -dict=fuzz/kks.dict -max_total_time="$seconds" -timeout=5 -malloc_limit_mb=64 -rss_limit_mb=1024 \
      -max_len=4096 -artifact_prefix=fuzz-out/artifacts/ -print_final_stats=1
    ;;
  csv)
    cmake --build build-fuzz -j2 --target csv_import_fuzzer
    mkdir -p fuzz-out/csv-corpus fuzz-out/csv-artifacts
    cp -n fuzz/csv-seeds/*.csv fuzz-out/csv-corpus/ 2>/dev/null || true
    build-fuzz/fuzz/csv_import_fuzzer fuzz-out/csv-corpus \
      -dict=fuzz/csv.dict -max_total_time="$seconds" -timeout=5 -malloc_limit_mb=64 -rss_limit_mb=1024 \
      -max_len=4096 -artifact_prefix=fuzz-out/csv-artifacts/ -print_final_stats=1
    ;;
  *)
    echo "usage: bash scripts/fuzz.sh [SECONDS] [documents|csv]" >&2
    exit 2
    ;;
esac
