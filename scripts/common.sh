# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

TELVARA_PACKAGES=(g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev libgmock-dev
  libbenchmark-dev fonts-ipafont-gothic xdg-utils xvfb xauth imagemagick python3)

ensure_packages() {
  local missing=()
  for p in "${TELVARA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]: configure once, then build incrementally.
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
