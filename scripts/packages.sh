# The Debian 12 packages the project needs, and a way to install the missing ones.
# What building and playing the game takes:
PLAY_PACKAGES=(build-essential cmake ninja-build binutils pkg-config
  libsdl2-dev libx11-dev libsdl2-gfx-dev libsdl2-ttf-dev libsdl2-mixer-dev libfluidsynth-dev libcdio-dev fonts-ipafont-gothic
  fluid-soundfont-gm)
# What the tests, benchmarks, the Clang build under the sanitizers and the fuzzing take besides:
TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth xfonts-base clang libclang-rt-14-dev)

install_missing_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}. Run as root, or: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}
