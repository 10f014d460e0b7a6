#!/usr/bin/env bash
# Installs what is missing, builds the release build of the game (nothing
# else: no tests, benchmarks or asset tools) and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
configure "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DZUGGLE_BUILD_TESTS=OFF -DZUGGLE_BUILD_BENCH=OFF \
  -DZUGGLE_BUILD_TOOLS=OFF -DZUGGLE_BUILD_FUZZ=OFF
cmake --build "$ROOT/build/release" -j2 --target ZuggleDart
exec "$ROOT/build/release/ZuggleDart" "$@"
