#!/usr/bin/env bash
# Times the size walker against what a user would reach for instead, on a generated tree (warm
# cache): natively du -sb and gdu, under Wine a plain one-thread FindFirstFileExW walk and
# cmd /c dir /s /a. Every contender runs once per round, rounds interleaved so a busy machine
# slows them alike; the figures are medians. Checks that all agree on the byte total.
#
#   bench/walk.sh [files=200000] [folders=2000] [rounds=7] [native|wine, default both]
#   VELMORA_BENCH_WALK_BASELINE_NATIVE=<program> VELMORA_BENCH_WALK_BASELINE_WIN=<program.exe>
#       also time another build of velmora_bench_walk (an older commit's) in the same rounds
#
# Builds velmora_bench_walk (Release) in /tmp/velmora-bench-walk-native and -walk-mingw,
# unless VELMORA_BENCH_NATIVE / VELMORA_BENCH_WIN name already built programs. The tree lives in
# a new temporary folder, the only thing this script deletes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-200000}
folders=${2:-2000}
rounds=${3:-7}
only=${4:-}

build() {
  cmake -S "$repo" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF "${@:2}" >/dev/null
  cmake --build "$1" -j2 --target velmora_bench_walk >/dev/null
}
native=${VELMORA_BENCH_NATIVE:-}
if [ -z "$native" ]; then
  build /tmp/velmora-bench-walk-native
  native=/tmp/velmora-bench-walk-native/bench/velmora_bench_walk
fi
win=${VELMORA_BENCH_WIN:-}
if [ -z "$win" ] && [ "$only" != native ]; then
  build /tmp/velmora-bench-walk-mingw -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake"
  win=/tmp/velmora-bench-walk-mingw/bench/velmora_bench_walk.exe
fi

work=$(mktemp -d /tmp/velmora-bench-walk.XXXXXX)
trap 'rm -rf -- "$work"' EXIT
tree=$work/tree
bytes=$("$native" generate "$tree" "$files" "$folders")
# du and gdu add each folder's own size; the walker, like Explorer, counts files only.
dirbytes=$(find "$tree" -type d -printf '%s\n' | awk '{ s += $1 } END { print s }')
echo "tree: $files files, $((folders + 1)) folders, $bytes bytes; $(nproc) cores"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows the walks)"

# Wall milliseconds of one run of a command; its output goes to $work/out.
ms() {
  local start end
  start=$(date +%s%N)
  "$@" >"$work/out" 2>/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { tr ' ' '\n' | { grep . || true; } | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
best() { tr ' ' '\n' | { grep . || true; } | sort -n | head -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
agree() { # name, figure
  if [ "$2" != "$bytes" ]; then
    echo "MISMATCH: $1 reports $2 bytes, expected $bytes" >&2
    exit 1
  fi
}
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" "$work/out"; }

native_bench() {
  echo
  echo "== native (Linux), wall ms, median of $rounds"
  declare -A t
  du -sb "$tree" >/dev/null # warm the cache
  for _ in $(seq "$rounds"); do
    t[walk1]+=" $(ms "$native" walk "$tree" 1 0)"
    agree "walker, 1 thread" "$(field bytes)"
    t[walkn]+=" $(ms "$native" walk "$tree" 0 0)"
    agree "walker, all cores" "$(field bytes)"
    t[du]+=" $(ms du -sb "$tree")"
    agree "du -sb" $(($(cut -f1 "$work/out") - dirbytes))
    if command -v gdu >/dev/null; then
      t[gdu]+=" $(ms gdu -n -p -s -a --no-prefix "$tree")"
      agree "gdu" $(($(awk '{ print $1 }' "$work/out") - dirbytes))
    fi
    if [ -n "${VELMORA_BENCH_WALK_BASELINE_NATIVE:-}" ]; then
      t[base1]+=" $(ms "$VELMORA_BENCH_WALK_BASELINE_NATIVE" walk "$tree" 1 0)"
      agree "baseline, 1 thread" "$(field bytes)"
      t[basen]+=" $(ms "$VELMORA_BENCH_WALK_BASELINE_NATIVE" walk "$tree" 0 0)"
      agree "baseline, all cores" "$(field bytes)"
    fi
  done
  declare -A b
  for k in walk1 walkn du gdu base1 basen; do
    t[$k]=${t[$k]:-}
    b[$k]=$(echo "${t[$k]}" | best)
    t[$k]=$(echo "${t[$k]}" | median)
  done
  printf '%-28s %6s ms  (best %s)\n' "walker, 1 thread" "${t[walk1]}" "${b[walk1]}" \
    "walker, all cores" "${t[walkn]}" "${b[walkn]}" "du -sb" "${t[du]}" "${b[du]}"
  [ -n "${t[gdu]}" ] && printf '%-28s %6s ms  (best %s)\n' "gdu (all cores)" "${t[gdu]}" "${b[gdu]}"
  echo "du / walker all cores:   $(ratio "${t[du]}" "${t[walkn]}")x"
  [ -n "${t[gdu]}" ] && echo "gdu / walker all cores:  $(ratio "${t[gdu]}" "${t[walkn]}")x"
  echo "walker 1 / all cores:    $(ratio "${t[walk1]}" "${t[walkn]}")x"
  echo "du / walker all cores, best runs: $(ratio "${b[du]}" "${b[walkn]}")x"
  if [ -n "${VELMORA_BENCH_WALK_BASELINE_NATIVE:-}" ]; then
    printf '%-28s %6s ms  (best %s)\n' "baseline, 1 thread" "${t[base1]}" "${b[base1]}" \
      "baseline, all cores" "${t[basen]}" "${b[basen]}"
    echo "walker / baseline, 1 thread:   $(ratio "${t[walk1]}" "${t[base1]}")x"
    echo "walker / baseline, all cores:  $(ratio "${t[walkn]}" "${t[basen]}")x"
  fi
  rss() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
  printf '%-28s %6s KiB peak RSS\n' "walker, all cores" "$(rss "$native" walk "$tree" 0 0)" \
    "du -sb" "$(rss du -sb "$tree")"
}

wine_bench() {
  echo
  echo "== under Wine, median of $rounds"
  # shellcheck source=../tools/lib/wine-env.sh
  . "$repo/tools/lib/wine-env.sh"
  wine_env_start
  trap 'wine_env_stop; rm -rf -- "$work"' EXIT
  wtree=$(winepath_w "$tree")
  declare -A w
  "$WINE64" "$win" plain "$wtree" 1 1 >/dev/null # warm Wine and the cache
  for _ in $(seq "$rounds"); do
    # In-process: one warm-up walk and one timed walk per process, start-up left out.
    for m in "walk 1" "walk 0" "walk-find 1" "plain 1"; do
      "$WINE64" "$win" "${m% *}" "$wtree" "${m#* }" 1 >"$work/out"
      agree "$m" "$(field bytes)"
      w[$m]+=" $(field median_s)"
      w[$m cpu]+=" $(field cpu_s)"
    done
    if [ -n "${VELMORA_BENCH_WALK_BASELINE_WIN:-}" ]; then
      for m in "walk 1" "walk 0"; do
        "$WINE64" "$VELMORA_BENCH_WALK_BASELINE_WIN" "${m% *}" "$wtree" "${m#* }" 1 >"$work/out"
        agree "baseline $m" "$(field bytes)"
        w[baseline $m]+=" $(field median_s)"
      done
    fi
    # Whole processes, as a user would run them.
    w[exe]+=" $(ms "$WINE64" "$win" walk "$wtree" 0 0)"
    w[cmd]+=" $(ms "$WINE64" cmd /c dir /s /a "$wtree")"
    agree "cmd dir" "$(grep -A1 'Total files listed' "$work/out" | tail -1 | awk '{ gsub(",", "", $3); print $3 }')"
  done
  declare -A wb
  for k in "${!w[@]}"; do
    wb[$k]=$(echo "${w[$k]}" | best)
    w[$k]=$(echo "${w[$k]}" | median)
  done
  for m in "walk 1" "walk 0" "walk-find 1" "plain 1"; do
    printf '%-12s %7s s  (best %s s, process CPU %s s)\n' "$m" "${w[$m]}" "${wb[$m]}" "${w[$m cpu]}"
  done
  for m in "baseline walk 1" "baseline walk 0"; do
    [ -n "${w[$m]:-}" ] && printf '%-16s %7s s  (best %s s)\n' "$m" "${w[$m]}" "${wb[$m]}"
  done
  echo "(walk: our walker, 1 thread or 0 = all cores; walk-find: the same on FindFirstFileExW;"
  echo " plain: one-thread recursive FindFirstFileExW, standard information level)"
  echo "plain / walker all cores:   $(ratio "${w[plain 1]}" "${w[walk 0]}")x"
  echo "plain / walker 1 thread:    $(ratio "${w[plain 1]}" "${w[walk 1]}")x"
  echo "plain / walker all cores, best runs: $(ratio "${wb[plain 1]}" "${wb[walk 0]}")x"
  printf '%-40s %7s ms\n' "walker exe, all cores (whole process)" "${w[exe]}" \
    "cmd /c dir /s /a (whole process)" "${w[cmd]}"
  echo "cmd dir / walker exe:       $(ratio "${w[cmd]}" "${w[exe]}")x"
  if [ -n "${VELMORA_BENCH_WALK_BASELINE_WIN:-}" ]; then
    echo "walker / baseline, 1 thread:   $(ratio "${w[walk 1]}" "${w[baseline walk 1]}")x"
    echo "walker / baseline, all cores:  $(ratio "${w[walk 0]}" "${w[baseline walk 0]}")x"
  fi
  "$WINE64" "$win" walk "$wtree" 0 1 >"$work/out"
  echo "walker, all cores: peak working set $(field peak_kib) KiB, $(field start_kib) KiB before the walk"
}

[ "$only" = wine ] || native_bench
[ "$only" = native ] || wine_bench
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
