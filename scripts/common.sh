# Shared by the README's two commands: installs what the project needs on a fresh
# Debian 12 machine (nothing when all is present) and configures and builds.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev qt6-base-private-dev libjpeg62-turbo-dev libsdl2-dev libasound2-dev
  fonts-comic-neue fonts-liberation2 fp-utils
  libgtest-dev libgmock-dev libbenchmark-dev libebur128-dev
  pulseaudio pulseaudio-utils alsa-utils libasound2-plugins
  xvfb xauth xdotool
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure DIR [cmake options...]: configures DIR (once; the options given
# are applied again on every call, so a folder configured earlier follows them).
configure() {
  local dir="$1"; shift
  if [ ! -f "$dir/build.ninja" ]; then
    # ccache, where installed, makes rebuilds in other checkouts cheap; CI has none.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@"
  elif [ $# -gt 0 ]; then
    cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
  fi
}

# build DIR [cmake options...]: configures DIR and builds everything in it.
build() {
  local dir="$1"
  configure "$@"
  cmake --build "$dir" -j2
}
