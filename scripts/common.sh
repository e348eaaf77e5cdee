# Shared by run.sh and test.sh: install what is missing, configure, build.
# Sourced, not run.

GRIDOVA_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-svg-dev libqt6opengl6-dev libgl-dev libegl-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth libcgal-dev libopenblas-dev liblapack-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev libgdal-dev
  fonts-dejavu-core fonts-liberation2 qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev clang-format desktop-file-utils
)

gridova_install_packages() {
  local missing=()
  local p
  for p in "${GRIDOVA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing. Install them as root with:" >&2
    echo "  $line" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

gridova_build() {
  local top="$1"; shift
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
  cmake --build "$top/build" -j "$(nproc)"
}
