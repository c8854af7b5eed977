#!/usr/bin/env bash
# Times the removal engine against what a user would reach for instead: natively rm -rf, under
# Wine cmd /c rd /s /q. Every timed run removes a freshly generated tree (files of 100 bytes,
# two folder levels), flushed to disk before the clock starts; contenders alternate within each
# round so a busy machine slows them alike; the figures are medians of whole-process wall times.
#
#   bench/remove.sh [files=200000] [folders=2000] [rounds=5] [wine rounds=3]
#   BENCH_DIR=/dev/shm bench/remove.sh     the trees on tmpfs: no disk, only the work itself
#   VELMORA_BENCH_REMOVE_BASELINE_NATIVE=<program> VELMORA_BENCH_REMOVE_BASELINE_WIN=<program.exe>
#       also time another build of velmora_bench_remove (an older commit's) in the same rounds
#   VELMORA_BENCH_SKIP_RD=1                 leave out rd /s /q (about 6 minutes a round)
#
# Builds velmora_bench_remove (Release) in /tmp/velmora-bench-remove-native and -mingw, unless
# VELMORA_BENCH_REMOVE_NATIVE / VELMORA_BENCH_REMOVE_WIN name already built programs. The trees
# live in a new temporary folder under BENCH_DIR (default /tmp), the only thing this deletes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-200000}
folders=${2:-2000}
rounds=${3:-5}
wine_rounds=${4:-3}

. "$repo/bench/remove-programs.sh"
remove_programs 1 "$((wine_rounds > 0))"

work=$(mktemp -d "${BENCH_DIR:-/tmp}/velmora-bench-remove.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
mkdir "$work/account"
tree=$work/account/tree
echo "tree: $files files in $folders folders under $(df --output=fstype "$work" | tail -1) $work; $(nproc) cores"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every run)"

fresh() {
  "$native" generate "$tree" "$files" "$folders" >/dev/null
  sync -f "$work"
}
# Wall milliseconds of one run of a command; its output goes to $work/out.
ms() {
  local start end
  start=$(date +%s%N)
  "$@" >"$work/out" 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
gone() { # name
  if [ -e "$tree" ]; then
    echo "FAILED: $1 left $(find "$tree" | wc -l) entries: $(head -c 200 "$work/out")" >&2
    exit 1
  fi
}
median() { tr ' ' '\n' | { grep . || true; } | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

base_native=${VELMORA_BENCH_REMOVE_BASELINE_NATIVE:-}
base_win=${VELMORA_BENCH_REMOVE_BASELINE_WIN:-}

declare -A t
echo
echo "== native (Linux), wall ms, median of $rounds"
for _ in $(seq "$rounds"); do
  fresh
  t[rm]+=" $(ms rm -rf "$tree")"
  gone "rm -rf"
  fresh
  t[all]+=" $(ms "$native" remove "$tree" 0)"
  gone "engine, all cores"
  fresh
  t[one]+=" $(ms "$native" remove "$tree" 1)"
  gone "engine, 1 thread"
  if [ -n "$base_native" ]; then
    fresh
    t[ball]+=" $(ms "$base_native" remove "$tree" 0)"
    gone "baseline, all cores"
    fresh
    t[bone]+=" $(ms "$base_native" remove "$tree" 1)"
    gone "baseline, 1 thread"
  fi
done
for k in rm all one ball bone; do t[$k]=$(echo "${t[$k]:-}" | median); done
printf '%-26s %7s ms\n' "rm -rf" "${t[rm]}" "engine, all cores" "${t[all]}" \
  "engine, 1 thread" "${t[one]}"
echo "rm -rf / engine all cores:  $(ratio "${t[rm]}" "${t[all]}")x"
echo "rm -rf / engine 1 thread:   $(ratio "${t[rm]}" "${t[one]}")x"
if [ -n "$base_native" ]; then
  printf '%-26s %7s ms\n' "baseline, all cores" "${t[ball]}" "baseline, 1 thread" "${t[bone]}"
  echo "engine / baseline, all cores: $(ratio "${t[all]}" "${t[ball]}")x"
  echo "engine / baseline, 1 thread:  $(ratio "${t[one]}" "${t[bone]}")x"
fi

[ "$wine_rounds" -gt 0 ] || exit 0
echo
echo "== under Wine, wall ms of whole processes, median of $wine_rounds"
# shellcheck source=../tools/lib/wine-env.sh
. "$repo/tools/lib/wine-env.sh"
wine_env_start
trap 'wine_env_stop; rm -rf -- "$work"' EXIT
wtree=$(winepath_w "$tree")
for _ in $(seq "$wine_rounds"); do
  if [ "${VELMORA_BENCH_SKIP_RD:-0}" != 1 ]; then
    fresh
    t[rd]+=" $(ms "$WINE64" cmd /c rd /s /q "$wtree")"
    gone "rd /s /q"
  fi
  fresh
  t[exe]+=" $(ms "$WINE64" "$win" remove "$wtree" 0)"
  gone "engine exe"
  t[inproc]+=" $(awk '{ printf "%d", $1 * 1000 }' "$work/out")"
  if [ -n "$base_win" ]; then
    fresh
    t[bexe]+=" $(ms "$WINE64" "$base_win" remove "$wtree" 0)"
    gone "baseline exe"
    t[binproc]+=" $(awk '{ printf "%d", $1 * 1000 }' "$work/out")"
  fi
done
for k in rd exe inproc bexe binproc; do t[$k]=$(echo "${t[$k]:-}" | median); done
printf '%-34s %7s ms\n' "engine exe, all cores" "${t[exe]}" "  of which the removal itself" \
  "${t[inproc]}"
if [ "${VELMORA_BENCH_SKIP_RD:-0}" != 1 ]; then
  printf '%-34s %7s ms\n' "cmd /c rd /s /q" "${t[rd]}"
  echo "rd /s /q / engine exe:  $(ratio "${t[rd]}" "${t[exe]}")x"
fi
if [ -n "$base_win" ]; then
  printf '%-34s %7s ms\n' "baseline exe, all cores" "${t[bexe]}" "  of which the removal itself" \
    "${t[binproc]}"
  echo "engine / baseline exe: $(ratio "${t[exe]}" "${t[bexe]}")x"
fi
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
