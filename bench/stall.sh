#!/usr/bin/env bash
# The longest time Velmora's main window leaves a message unanswered while it works, under Wine:
# during the scan of an account of 200,000 files (start-up measures the account, then the eight
# rows), and during the old-version cleaner's pass. Windows calls a window "not responding" when
# it does not answer within 5 s; users kill such a window. bench/stall_probe.cpp does the timing.
#
#   bench/stall.sh [files=200000]
#
# Builds Velmora.exe and the probe (Release) in /tmp/velmora-bench-mingw unless VELMORA_BUILD_DIR
# names an already configured MinGW tree (VELMORA_STALL_EXE=<Velmora.exe> times another build with
# the same probe), and the native tree generator in
# /tmp/velmora-bench-walk-native. Runs in a throwaway Wine prefix whose Documents folder is a new
# temporary folder, the only thing this script deletes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-200000}

build=${VELMORA_BUILD_DIR:-/tmp/velmora-bench-mingw}
if [ -z "${VELMORA_BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target Velmora velmora_stall_probe >/dev/null
velmora=$build/bin/Velmora.exe
[ -f "$velmora" ] || velmora=$build/Velmora.exe
velmora=${VELMORA_STALL_EXE:-$velmora}
probe=$build/bench/velmora_stall_probe.exe
native=/tmp/velmora-bench-walk-native
cmake -S "$repo" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$native" -j2 --target velmora_bench_walk >/dev/null
generate=$native/bench/velmora_bench_walk

. "$repo/tools/lib/wine-env.sh"
export VELMORA_XVFB=1
unset VELMORA_WINEPREFIX
wine_env_start

# One account: the files spread over the categories as a heavy user's are (images the most).
account="$HOME/WeChat Files/wxid_stall"
storage="$account/FileStorage"
mkdir -p "$account/Msg" "$storage/Sns"
share() { echo $((files * $1 / 100)); }
"$generate" generate "$storage/image" "$(share 50)" 500 >/dev/null
"$generate" generate "$storage/Cache" "$(share 20)" 200 >/dev/null
"$generate" generate "$storage/video" "$(share 10)" 100 >/dev/null
"$generate" generate "$storage/File" "$(share 10)" 100 >/dev/null
"$generate" generate "$storage/CustomEmotion" "$(share 5)" 50 >/dev/null
"$generate" generate "$storage/Sns/Cache" "$(share 5)" 50 >/dev/null
echo "account: $(find "$account" -type f | wc -l) files; load average $(cut -d' ' -f1 /proc/loadavg)"
"$WINE64" "$probe" scan "$(winepath_w "$velmora")"

# The old-version cleaner: every folder of the old layout present, a few files in each.
for d in Image Video Attachment CustomEmoV1 CustomEmotions FavTemp Files HDHeadImage Data; do
  mkdir -p "$account/$d" && for i in 1 2 3; do echo x >"$account/$d/f$i"; done
done
"$WINE64" "$probe" legacy "$(winepath_w "$velmora")"
