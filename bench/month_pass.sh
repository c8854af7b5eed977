#!/usr/bin/env bash
# How long keeping the newest six months of a WeChat 4.x image row takes from the answer to the
# end, when the row spreads over many chats: CHATS chats (default 120) with MONTHS month folders
# each (default 12), every one with its images and forwarded records; CHATS × (MONTHS - 6) "Img"
# folders go. Runs the windows' own logic on the real Win32 ports under Wine (bench/late2026.cpp,
# "pass") in a throwaway prefix.
#
#   bench/month_pass.sh [CHATS] [MONTHS]
#
# Builds in /tmp/velmora-bench-mingw unless VELMORA_BUILD_DIR names a configured MinGW tree.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
chats=${1:-120} months=${2:-12}
build=${VELMORA_BUILD_DIR:-/tmp/velmora-bench-mingw}
if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target velmora_late2026 >/dev/null

. "$repo/tools/lib/wine-env.sh"
export VELMORA_XVFB=1
unset VELMORA_WINEPREFIX
wine_env_start
account="$(wine_documents_dir)/xwechat_files/wxid_pass_0a1b"
mkdir -p "$account/db_storage/message"
for ((c = 0; c < chats; c++)); do
  chat=$(printf '%032x' $((c * 2654435761)))
  for ((m = 1; m <= months; m++)); do
    month=$(printf '%04d-%02d' $((2023 + (m - 1) / 12)) $((1 + (m - 1) % 12)))
    mkdir -p "$account/msg/attach/$chat/$month/Img" "$account/msg/attach/$chat/$month/Rec"
    head -c 2048 /dev/zero >"$account/msg/attach/$chat/$month/Img/a.dat"
    head -c 512 /dev/zero >"$account/msg/attach/$chat/$month/Img/a_t.dat"
    head -c 100 /dev/zero >"$account/msg/attach/$chat/$month/Rec/r.dat"
  done
done
"$WINE64" "$build/bench/velmora_late2026.exe" pass | tr -d '\r'
left=$(find "$account/msg/attach" -mindepth 3 -maxdepth 3 -name Img | wc -l)
echo "img-folders-left	$left (of $((chats * months)); $((chats * 6)) kept)"
