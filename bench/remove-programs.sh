# Sourced by bench/remove.sh and bench/race.sh: sets `native` and `win` to velmora_bench_remove
# for Linux and for Windows, each only when wanted, built (Release) in
# /tmp/velmora-bench-remove-native and -mingw unless VELMORA_BENCH_REMOVE_NATIVE /
# VELMORA_BENCH_REMOVE_WIN name already built programs (an older commit's, say).
#
#   remove_programs <want native: 0|1> <want Windows: 0|1>     (needs $repo)
remove_programs() {
  build() {
    cmake -S "$repo" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF "${@:2}" >/dev/null
    cmake --build "$1" -j2 --target velmora_bench_remove >/dev/null
  }
  native=${VELMORA_BENCH_REMOVE_NATIVE:-}
  if [ -z "$native" ] && [ "$1" = 1 ]; then
    build /tmp/velmora-bench-remove-native
    native=/tmp/velmora-bench-remove-native/bench/velmora_bench_remove
  fi
  win=${VELMORA_BENCH_REMOVE_WIN:-}
  if [ -z "$win" ] && [ "$2" = 1 ]; then
    build /tmp/velmora-bench-remove-mingw -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake"
    win=/tmp/velmora-bench-remove-mingw/bench/velmora_bench_remove.exe
  fi
}
