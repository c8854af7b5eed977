#!/usr/bin/env bash
# The share of the reclaimable bytes of a late-2026 machine that Velmora's grid reaches, and the
# bytes a full clean (every row of every account, nothing kept, every question answered OK) takes
# from the folders that must never be touched. The data comes from tools/make-late-2026-data (a
# WeChat 3.9 account in Documents, a 4.x account moved to C:\微信数据); the windows' own logic runs
# on the real Win32 ports under Wine (bench/late2026.cpp). Also prints what the classic rows alone
# (Velmora before WeChat 4.x and MsgAttach were known) would reach.
#
#   bench/late2026.sh
#
# Builds in /tmp/velmora-bench-mingw unless VELMORA_BUILD_DIR names a configured MinGW tree. Runs
# in a throwaway Wine prefix; the data (sparse files) lives only there.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-/tmp/velmora-bench-mingw}
if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target velmora_late2026 >/dev/null
probe=$build/bench/velmora_late2026.exe

. "$repo/tools/lib/wine-env.sh"
export VELMORA_XVFB=1
unset VELMORA_WINEPREFIX
wine_env_start
truth=$VELMORA_WINE_TMP/truth.tsv
"$repo/tools/make-late-2026-data" "$(wine_documents_dir)" "$WINEPREFIX/drive_c" \
  "$(wine_roaming_dir)" >"$truth" 2>/dev/null
"$WINE64" "$probe" | tr -d '\r' >"$VELMORA_WINE_TMP/measured.tsv"
cat "$VELMORA_WINE_TMP/measured.tsv"
awk -F'\t' '
  FNR == NR { if (FNR <= 3 && $1 == "reclaimable") r = $2; if (FNR <= 3 && $1 == "never") n = $2
              if (FNR > 3 && $1 == "reclaimable" && $2 == "3.x" && $3 !~ /MsgAttach/) c += $4; next }
  $1 == "reached" { g = $2 } $1 == "never-before" { b = $2 } $1 == "never-after" { a = $2 }
  END {
    printf "reclaimable (ground truth)  %.2f GB\n", r / 1e9
    printf "the grid reaches            %.2f GB = %.1f %%\n", g / 1e9, 100 * g / r
    printf "the classic rows alone      %.2f GB = %.1f %%\n", c / 1e9, 100 * c / r
    printf "never-touched folders       %.2f GB (ground truth %.2f GB) before, %.2f GB after a full clean:\n", b / 1e9, n / 1e9, a / 1e9
    printf "                            %.0f bytes deleted outside what was confirmed\n", b - a
  }' "$truth" "$VELMORA_WINE_TMP/measured.tsv"
