# Shared by tools/run, tools/test and tools/screenshot. Source it; do not run it.
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

VELMORA_PACKAGES=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix googletest wine wine64
  xvfb xauth fonts-wqy-microhei fonts-wine libxcomposite1 libxcursor1 libxfixes3 libxi6
  libxinerama1 libxrandr2 libxrender1 libxxf86vm1 x11-apps imagemagick clang-format ccache
  libgtest-dev librapidcheck-dev clang libclang-rt-14-dev lld)

# Installs the Debian packages the build, the tests and the Wine runs need, if any is missing.
velmora_install_packages() {
  local missing=() p
  for p in "${VELMORA_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq >&2 || return 1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# The compiler cache that tools/test's native build and tools/mutants share: the mutants' copies of
# the tree configure the same preset at the same depth, so their first build takes every object
# from the cache and only the mutated file compiles. Sets VELMORA_LAUNCHER to the cmake arguments
# that use it (none without ccache). BASE is the tree whose absolute paths become relative.
velmora_use_ccache() {
  VELMORA_LAUNCHER=()
  command -v ccache >/dev/null || return 0
  export CCACHE_DIR=${VELMORA_CCACHE_DIR:-$VELMORA_ROOT/build/ccache}
  export CCACHE_BASEDIR=$1 CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=2G
  # The headers are precompiled: without these the compiler cache would cache nothing.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  VELMORA_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}
