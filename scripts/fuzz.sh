#!/usr/bin/env bash
# The short fuzz runs: a clang build with libFuzzer and the sanitizers, then each
# fuzz target for a few seconds. Fails when a target finds a crash.
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
for t in "${targets[@]}"; do
  echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
  mkdir -p "$DIR/corpus/$t"
  # Seed files kept with the sources (read only; new finds go to the build's corpus).
  seeds=()
  [ -d "$ROOT/fuzz/corpus/$t" ] && seeds=("$ROOT/fuzz/corpus/$t")
  QT_QPA_PLATFORM=offscreen "$DIR/fuzz/$t" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=0 \
    "$DIR/corpus/$t" "${seeds[@]}" 2>&1 | tail -n 2
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz: $t found a fault"; exit 1; }
done
