#!/usr/bin/env bash
# The short fuzz runs: the fuzz targets of the sanitizer build (clang with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer; built here if
# they are not yet), then each target for a few seconds, starting from seed
# files of our own assets (each target names them in a "// Seeds:" line).
# Runs every target, names each one that found a fault, and fails when any did.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$ROOT/scripts/sanitizers.sh"
SECONDS_PER_TARGET="${ZUGGLE_FUZZ_SECONDS:-20}"
DIR="$ROOT/build/asan"
configure_sanitized
targets=()
for src in "$ROOT"/fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build "$DIR" -j2 --target "${targets[@]}"

failed=()
# One target: prepares its seeds and runs it; its exit status is the target's.
fuzz_one() {
  local t="$1"
  mkdir -p "$DIR/corpus/$t"
  # A fresh seed folder from the patterns the target names.
  local seeds="$DIR/seeds/$t"
  rm -rf "$seeds" && mkdir -p "$seeds"
  local patterns
  patterns="$(sed -n 's|^// Seeds:[[:space:]]*||p' "$ROOT/fuzz/$t.cpp")"
  for pattern in $patterns; do
    for f in "$ROOT"/$pattern; do [ -f "$f" ] && cp "$f" "$seeds/"; done
  done
  # Hand-made seed files kept with the sources.
  [ -d "$ROOT/fuzz/corpus/$t" ] && cp "$ROOT/fuzz/corpus/$t"/* "$seeds/"
  QT_QPA_PLATFORM=offscreen "$DIR/fuzz/$t" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=0 \
    -artifact_prefix="$DIR/$t-" "$DIR/corpus/$t" "$seeds" >"$DIR/$t.log" 2>&1
}

# Two targets at a time, one per core. Each exit status is read from its own
# wait, not through a pipe, so that a fault is reported with the target's
# name instead of ending the script silently.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pair=("${targets[@]:i:2}")
  pids=()
  for t in "${pair[@]}"; do
    echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
    fuzz_one "$t" &
    pids+=($!)
  done
  for k in "${!pair[@]}"; do
    t="${pair[k]}"
    status=0
    wait "${pids[k]}" || status=$?
    tail -n 2 "$DIR/$t.log"
    if [ "$status" -ne 0 ]; then
      echo "fuzz: $t found a fault (exit $status); its output is in $DIR/$t.log"
      failed+=("$t")
    fi
  done
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: faults found by: ${failed[*]}"
  exit 1
fi
