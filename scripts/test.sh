#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then the
# short fuzz runs; ends with the test runner's summary.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build "$ROOT/build/test" -DCMAKE_BUILD_TYPE=Release -DZUGGLE_BUILD_TESTS=ON -DZUGGLE_BUILD_BENCH=ON \
  -DZUGGLE_BUILD_TOOLS=ON

# A sound server for the tests that play through the real device player.
source "$ROOT/scripts/sound-server.sh"
start_sound_server
trap stop_sound_server EXIT

[ -x "$ROOT/scripts/fuzz.sh" ] && "$ROOT/scripts/fuzz.sh"

cd "$ROOT/build/test"
# Held keys as a real X server repeats them (xdotool on a virtual X display).
xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
  ./tests/game_tests --gtest_filter='*RealXServer*' --gtest_brief=1

ctest --output-on-failure -j2 --timeout 600
