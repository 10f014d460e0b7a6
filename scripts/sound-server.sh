# A private PulseAudio server with only a null sink, for the tests that play
# through the real SDL2 player and record what it played from the sink's monitor.
# Works as root and without a desktop. It is private (its own runtime folder,
# exported through PULSE_SERVER to the tests only), so a developer's own sound
# server is never used and the tests never play out loud.
#
# start_sound_server: starts it (nothing when pulseaudio is not installed; the
#   tests that need it then skip themselves) and exports PULSE_SERVER.
# stop_sound_server: stops the server that start_sound_server started.
start_sound_server() {
  command -v pulseaudio >/dev/null 2>&1 || return 0
  export PULSE_RUNTIME_PATH="${ZUGGLE_PULSE_DIR:-/tmp/zuggle-pulse-$(id -u)}"
  mkdir -p "$PULSE_RUNTIME_PATH"
  chmod 700 "$PULSE_RUNTIME_PATH"
  export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
  if ! pactl info >/dev/null 2>&1; then
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false --disallow-exit \
      --use-pid-file=yes --log-target=syslog \
      -L "module-null-sink sink_name=null" \
      -L "module-native-protocol-unix auth-anonymous=1" >/dev/null 2>&1 || true
    STARTED_SOUND_SERVER=1
  fi
  local i
  for i in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "sound-server: PulseAudio did not start; the real-device sound tests will skip" >&2
  return 0
}

stop_sound_server() {
  if [ "${STARTED_SOUND_SERVER:-0}" = 1 ]; then
    pulseaudio --kill >/dev/null 2>&1 || true
    STARTED_SOUND_SERVER=0
  fi
}
