#!/usr/bin/env bash
# How soon Velmora.exe ends when its window is closed while it measures a big account, under Wine.
# The first part of the end-to-end test E2EBigAccount, on an account of that many empty files
# made by tests/wine/make_big_account.sh, starts Velmora.exe on it, closes the window as soon as the walk
# has listed its first folder and prints the time from WM_CLOSE to the end of the process. Beside it,
# the time a whole walk of a tree that size takes (velmora_bench_walk, all cores, in-process):
# what a process that does not stop its walk lives on for after its window closed.
#
#   bench/close.sh [files=1000000] [rounds=3]
#
# Builds Velmora, velmora_wine_tests and velmora_bench_walk (Release) in /tmp/velmora-bench-close
# unless VELMORA_BUILD_DIR names a configured MinGW tree. Runs in a throwaway Wine prefix on a
# private Xvfb. The test's account (in the prefix's temp folder) and the walk's tree live in a new
# temporary folder under BENCH_DIR (default /dev/shm: a busy disk takes an hour over a million
# files), the only thing this deletes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-1000000}
rounds=${2:-3}

build=${VELMORA_BUILD_DIR:-/tmp/velmora-bench-close}
if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target Velmora velmora_wine_tests velmora_bench_walk >/dev/null
tests=$build/bin/velmora_wine_tests.exe
walker=$build/bench/velmora_bench_walk.exe
native=/tmp/velmora-bench-close-native
cmake -S "$repo" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$native" -j2 --target velmora_bench_walk >/dev/null

. "$repo/tools/lib/wine-env.sh"
export VELMORA_XVFB=1
unset VELMORA_WINEPREFIX
wine_env_start
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/velmora-bench-close.XXXXXX")
trap 'wine_env_stop; rm -rf -- "$work"' EXIT
wtemp=$WINEPREFIX/drive_c/users/$(id -un)/Temp
mkdir -p "$work/temp" && rm -rf -- "$wtemp" && ln -s "$work/temp" "$wtemp"
echo "account: $files files in $((files / 200)) folders; $(nproc) cores"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every run)"

bash "$repo/tests/wine/make_big_account.sh" "$work/big" "$files"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
close_ms=()
for _ in $(seq "$rounds"); do
  out=$(VELMORA_BIG_ACCOUNT=$work/big VELMORA_CLOSE_ONLY=1 "$WINE64" "$tests" \
    --gtest_filter='E2EBigAccount.*' 2>/dev/null | tr -d '\r')
  grep -q '\[  PASSED  \] 1 test' <<<"$out" || { echo "$out" | tail -20; exit 1; }
  close_ms+=("$(sed -n 's/.*WM_CLOSE to process end: \([0-9]*\) ms.*/\1/p' <<<"$out")")
done
"$native/bench/velmora_bench_walk" generate "$work/tree" "$files" "$((files / 200))" >/dev/null
"$WINE64" "$walker" walk "$(winepath_w "$work/tree")" 0 1 >"$work/out"
walk_s=$(sed -n 's/.*median_s=\([0-9.]*\).*/\1/p' "$work/out")
close=$(printf '%s\n' "${close_ms[@]}" | median)
echo
echo "WM_CLOSE to process end during the walk: median $close ms (runs: ${close_ms[*]})"
echo "a whole walk of $files files, all cores:  $walk_s s"
awk -v w="$walk_s" -v c="$close" 'BEGIN { printf "whole walk / close: %.0fx\n", w * 1000 / c }'
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
