#!/usr/bin/env bash
# Races the removal engine against another process that swaps the folder being emptied for a
# link to a tree outside the target, and checks that the tree outside is untouched. Each run:
# T/a holds `folders` folders of 20 files and a marker file; a shell loop waits until the engine
# has removed the marker (so it is inside `a`), renames `a` away and puts a symbolic link to
# `outside` (`folders` folders with one sentinel file each) in its place. The outside tree is
# checksummed before and after; a run passes when nothing in it changed.
#
#   bench/race.sh [native runs=20] [wine runs=5] [folders=3000]
#
# Builds velmora_bench_remove like bench/remove.sh (or takes VELMORA_BENCH_REMOVE_NATIVE /
# VELMORA_BENCH_REMOVE_WIN, e.g. an older build to show the race it loses). Everything lives in
# a new temporary folder under BENCH_DIR (default /tmp), the only thing this deletes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
native_runs=${1:-20}
wine_runs=${2:-5}
folders=${3:-3000}

. "$repo/bench/remove-programs.sh"
remove_programs "$((native_runs > 0))" "$((wine_runs > 0))"

work=$(mktemp -d "${BENCH_DIR:-/tmp}/velmora-race.XXXXXX")
swapper=""
cleanup() {
  [ -n "$swapper" ] && kill "$swapper" 2>/dev/null
  rm -rf -- "$work"
}
trap cleanup EXIT

# A fresh account/T/a and outside; prints nothing.
fresh() {
  rm -rf -- "$work/account" "$work/outside"
  mkdir -p "$work/account/T/a" "$work/outside"
  (
    cd "$work/account/T/a"
    seq "$folders" | xargs mkdir
    for d in $(seq "$folders"); do for f in $(seq 20); do echo "$d/$f"; done; done | xargs touch
    touch marker
    cd "$work/outside"
    seq "$folders" | xargs mkdir
    for d in $(seq "$folders"); do echo "$d" >"$d/sentinel"; done
  )
}
checksum() { (cd "$work/outside" && find . -type f | sort | xargs md5sum | md5sum); }

# run_one NAME COMMAND...: one race; prints a line and returns 1 when the outside tree changed.
run_one() {
  local name=$1 before after left
  shift
  fresh
  before=$(checksum)
  (
    a=$work/account/T/a
    while [ -e "$a/marker" ]; do :; done
    mv "$a" "$work/account/T/a-old" && ln -s "$work/outside" "$a"
  ) &
  swapper=$!
  "$@" >"$work/out" 2>&1 || true
  kill "$swapper" 2>/dev/null || true
  wait "$swapper" 2>/dev/null || true
  swapper=""
  after=$(checksum)
  left=$(find "$work/outside" -name sentinel | wc -l)
  if [ "$before" = "$after" ]; then
    echo "$name: outside untouched ($left of $folders sentinels; engine said: $(head -c 80 "$work/out"))"
  else
    echo "$name: OUTSIDE CHANGED, $left of $folders sentinels left"
    return 1
  fi
}

echo "$folders folders x 20 files under $(df --output=fstype "$work" | tail -1) $work"
kept=0
for i in $(seq "$native_runs"); do
  run_one "native run $i" "$native" remove "$work/account/T" 0 && kept=$((kept + 1))
done
[ "$native_runs" -gt 0 ] && echo "native: outside untouched in $kept of $native_runs runs"

[ "$wine_runs" -gt 0 ] || exit 0
# shellcheck source=../tools/lib/wine-env.sh
. "$repo/tools/lib/wine-env.sh"
wine_env_start
trap 'wine_env_stop; cleanup' EXIT
wkept=0
for i in $(seq "$wine_runs"); do
  run_one "Wine run $i" "$WINE64" "$win" remove "$(winepath_w "$work/account/T")" 0 &&
    wkept=$((wkept + 1))
done
echo "Wine: outside untouched in $wkept of $wine_runs runs"
