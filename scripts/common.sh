# Shared by the scripts: install what is missing, then configure and build.
set -euo pipefail

TELVARA_PACKAGES=(g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins qt6-wayland libgtest-dev libgmock-dev
  libbenchmark-dev python3 fonts-ipafont-gothic xdg-utils xvfb xauth x11-utils imagemagick)

# ensure_packages [more packages...]: installs those of the list (and the
# given ones) that are missing.
ensure_packages() {
  local missing=()
  for p in "${TELVARA_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  # sudo resets the environment: hand the variable over through env.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...] [-- targets...]: configure once, then build
# incrementally (only the targets given, if any). Each configuration has a
# folder of its own, so that no script rebuilds what another just built.
build() {
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  [ $# -gt 1 ] && shift && targets=(--target "$@")
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}
