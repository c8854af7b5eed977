#!/usr/bin/env bash
# Size of Velmora.exe and its time to first window under Wine, beside a plain Win32 window program
# built the same way (bench/trivial_window.cpp). bench/startup_probe.cpp starts each program, takes
# the time from just before CreateProcessW until a visible top-level window with the expected title
# exists, closes it and starts the next; the programs take turns. Velmora finds the demo data
# (tools/make-demo-data) in the prefix's Documents, as a user's would find WeChat's.
#
#   bench/startup.sh [rounds=15]
#   VELMORA_STARTUP_BEFORE=<Velmora.exe of an earlier commit> bench/startup.sh [rounds]
#                                  that one takes its turns in the same run too
#
# Builds the three programs (Release) in /tmp/velmora-bench-mingw unless VELMORA_BUILD_DIR names an
# already configured MinGW tree. Runs in a throwaway Wine prefix on a private Xvfb; one round
# before the measured ones warms Wine's caches and is not counted.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}

build=${VELMORA_BUILD_DIR:-/tmp/velmora-bench-mingw}
if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target Velmora velmora_trivial_window velmora_startup_probe >/dev/null
velmora=$build/bin/Velmora.exe
[ -f "$velmora" ] || velmora=$build/Velmora.exe
trivial=$build/bench/velmora_trivial_window.exe
probe=$build/bench/velmora_startup_probe.exe

. "$repo/tools/lib/wine-env.sh"
export VELMORA_XVFB=1
unset VELMORA_WINEPREFIX
wine_env_start
"$repo/tools/make-demo-data" "$HOME" 2>/dev/null

size() { stat -c %s "$1"; }
kib() { awk -v b="$1" 'BEGIN { printf "%.0f KiB", b / 1024 }'; }
echo "Velmora.exe: $(size "$velmora") bytes ($(kib "$(size "$velmora")")), stripped, static"
echo "trivial window: $(size "$trivial") bytes ($(kib "$(size "$trivial")"))"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"

args=(
  "$(winepath_w "$velmora")" "Velmora::Harrowfen"
  "$(winepath_w "$trivial")" "Trivial window"
)
if [ -n "${VELMORA_STARTUP_BEFORE:-}" ]; then
  # Under another name, so the two are told apart in the figures.
  cp "$VELMORA_STARTUP_BEFORE" "$VELMORA_WINE_TMP/VelmoraBefore.exe"
  args+=("$(winepath_w "$VELMORA_WINE_TMP/VelmoraBefore.exe")" "Velmora::Harrowfen")
fi
"$WINE64" "$probe" 1 "${args[@]}" >/dev/null
out=$("$WINE64" "$probe" "$rounds" "${args[@]}" | tr -d '\r')

echo
echo "time to first window under Wine, ms, $rounds starts each (median, min, max; median until"
echo "the window first answers a message):"
echo "$out" | awk '$1 == "median" { printf "  %-28s %7s  (%s .. %s)  answers %s\n", $2, $3, $5, $7, $9 }'
echo "$out" | awk '$1 == "median" { m[++n] = $3 } END {
  printf "  ratio Velmora / trivial: %.2f\n", m[1] / m[2]
  if (n > 2) printf "  ratio before / trivial:  %.2f\n", m[3] / m[2] }'
