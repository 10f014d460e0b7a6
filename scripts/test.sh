#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then
# builds the sanitizer build (with the fuzz targets), runs the short fuzz runs
# and every test again in it; ends with the test runners' summaries. Builds
# are kept and reused between runs.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$ROOT/scripts/sanitizers.sh"
install_packages
build "$ROOT/build/test" -DCMAKE_BUILD_TYPE=Release -DZUGGLE_BUILD_TESTS=ON -DZUGGLE_BUILD_BENCH=ON \
  -DZUGGLE_BUILD_TOOLS=ON

# A sound server for the tests that play through the real device player.
source "$ROOT/scripts/sound-server.sh"
start_sound_server
trap stop_sound_server EXIT

cd "$ROOT/build/test"
# Held keys as a real X server repeats them (xdotool on a virtual X display).
xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
  ./tests/game_tests --gtest_filter='*RealXServer*' --gtest_brief=1

# Both suites run even when the first fails; either failing fails the command.
status=0
# The player test listens to the sink in real time: it runs alone, after the
# others, so that no parallel test can starve the sound server.
realtime='SdlPlayerOnServer'
ctest --output-on-failure -j2 --timeout 600 -E "$realtime" || status=1
ctest --output-on-failure --timeout 600 -R "$realtime" || status=1

# The installed layout, and its desktop entry and AppStream metadata as the
# desktop's own tools read them.
stage="$ROOT/build/test/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$ROOT/build/test" --prefix /usr >/dev/null
for f in bin/ZuggleDart share/ZuggleDart/ZuggleDart.chm share/applications/org.zuggledart.ZuggleDart.desktop \
         share/metainfo/org.zuggledart.ZuggleDart.metainfo.xml \
         share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,96x96,128x128,256x256}/apps/ZuggleDart.png; do
  [ -f "$stage/usr/$f" ] || { echo "install: $f is missing"; status=1; }
done
desktop-file-validate "$stage"/usr/share/applications/*.desktop || status=1
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml || status=1

# The sanitizer build, with the fuzz targets, and their short runs.
build_sanitized
"$ROOT/scripts/fuzz.sh" || status=1

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer:
# any finding (a fault, undefined behaviour, a leak) fails its test.
cd "$ROOT/build/asan"
ctest --output-on-failure -j2 --timeout 900 -E "$realtime" || status=1
ctest --output-on-failure --timeout 900 -R "$realtime" || status=1
exit "$status"
