#!/usr/bin/env bash
# Writes a WeChat data folder whose one account holds many files, natively (creating 200,000
# files through Wine takes minutes), for the end-to-end test of the road most users take, which
# checks that the main window keeps answering while it measures and removes them and that closing
# it mid-walk or mid-removal ends the process. Replaces
# whatever an earlier run left in <folder>.
#
#   make_big_account.sh <folder> [files=200000]
set -euo pipefail
root=${1:?folder}
files=${2:-200000}
case "$root" in /tmp/* | /dev/shm/* | */build/*) ;; *) echo "refusing to write outside a build or temp folder: $root" >&2; exit 2 ;; esac
rm -rf -- "$root"
account="$root/WeChat Files/wxid_big"
storage="$account/FileStorage"
mkdir -p "$account/Msg"
# Spread over the categories, a hundred files to a folder (or over the folders named); sizes do
# not matter here.
share() { # <category folder> <percent> [folder names]
  local dir=$1 count=$((files * $2 / 100)) names
  shift 2
  names=("$@")
  [ $# -gt 0 ] || mapfile -t names < <(seq 0 $((count / 100 - 1)))
  printf "$dir/%s\n" "${names[@]}" | xargs -d '\n' mkdir -p
  for d in "${names[@]}"; do seq -f "$dir/$d/f%g.dat" 1 $((count / ${#names[@]})); done |
    xargs -d '\n' touch
}
share "$storage/image" 50
share "$storage/Cache" 20
# The months 2022-01 … 2023-02, of which the newest six stay in the end-to-end test.
share "$storage/video" 10 2022-{01..12} 2023-{01..02}
share "$storage/File" 10
share "$storage/CustomEmotion" 5
share "$storage/Sns/Cache" 5
# Right in the cache folder, so a removal of the cache row takes it first: the shutdown test
# closes the window once it is gone, with the removal well under way.
touch "$storage/Cache/marker"
# The total the window shows, 4,592,890,123 bytes: chat records, and a file past 4 GiB (both
# taking no room).
truncate -s 25000000 "$account/Msg/MicroMsg.db"
mkdir -p "$storage/General/HDHeadImage" && truncate -s 4567890123 "$storage/General/HDHeadImage/h.jpg"
# The folders WeChat 2019 and earlier left, for the old-version cleaner.
for d in Image Video Attachment CustomEmoV1 CustomEmotions FavTemp Files HDHeadImage Data; do
  mkdir -p "$account/$d" && touch "$account/$d/a" "$account/$d/b"
done
