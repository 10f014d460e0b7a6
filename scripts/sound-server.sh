# A PulseAudio server with a null sink for the tests, as root and without a desktop.
start_sound_server() {
  command -v pulseaudio >/dev/null || return 0
  if pactl info >/dev/null 2>&1; then return 0; fi
  export PULSE_RUNTIME_PATH="${PULSE_RUNTIME_PATH:-/tmp/zuggle-pulse}"
  mkdir -p "$PULSE_RUNTIME_PATH"
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false --disallow-exit \
    -L "module-null-sink sink_name=null" \
    -L "module-native-protocol-unix auth-anonymous=1" >/dev/null 2>&1 || true
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  STARTED_SOUND_SERVER=1
}
stop_sound_server() {
  [ "${STARTED_SOUND_SERVER:-0}" = 1 ] && pulseaudio --kill >/dev/null 2>&1 || true
}
