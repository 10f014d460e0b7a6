#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the game.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DZUGGLE_BUILD_TESTS=OFF -DZUGGLE_BUILD_BENCH=OFF
exec "$ROOT/build/release/ZuggleDart" "$@"
