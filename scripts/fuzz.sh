#!/usr/bin/env bash
# The short fuzz runs: a clang build with libFuzzer and the sanitizers, then each
# fuzz target for a few seconds, starting from seed files of our own assets
# (each target names them in a "// Seeds:" line). Runs every target, names
# each one that found a fault, and fails when any did.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
SECONDS_PER_TARGET="${ZUGGLE_FUZZ_SECONDS:-20}"
DIR="$ROOT/build/fuzz"
if [ ! -f "$DIR/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUGGLE_BUILD_FUZZ=ON -DZUGGLE_BUILD_TESTS=OFF -DZUGGLE_BUILD_BENCH=OFF -DZUGGLE_BUILD_TOOLS=OFF
fi
targets=()
for src in "$ROOT"/fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build "$DIR" -j2 --target "${targets[@]}"

failed=()
for t in "${targets[@]}"; do
  echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
  mkdir -p "$DIR/corpus/$t"
  # A fresh seed folder from the patterns the target names.
  seeds="$DIR/seeds/$t"
  rm -rf "$seeds" && mkdir -p "$seeds"
  patterns="$(sed -n 's|^// Seeds:[[:space:]]*||p' "$ROOT/fuzz/$t.cpp")"
  for pattern in $patterns; do
    for f in "$ROOT"/$pattern; do [ -f "$f" ] && cp "$f" "$seeds/"; done
  done
  # Hand-made seed files kept with the sources.
  [ -d "$ROOT/fuzz/corpus/$t" ] && cp "$ROOT/fuzz/corpus/$t"/* "$seeds/"
  log="$DIR/$t.log"
  # The exit status is read here, not through a pipe, so that a fault is
  # reported with the target's name instead of ending the script silently.
  status=0
  QT_QPA_PLATFORM=offscreen "$DIR/fuzz/$t" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=0 \
    -artifact_prefix="$DIR/$t-" "$DIR/corpus/$t" "$seeds" >"$log" 2>&1 || status=$?
  tail -n 2 "$log"
  if [ "$status" -ne 0 ]; then
    echo "fuzz: $t found a fault (exit $status); its output is in $log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: faults found by: ${failed[*]}"
  exit 1
fi
