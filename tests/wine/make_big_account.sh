#!/usr/bin/env bash
# Writes a WeChat data folder whose one account holds many files, natively (creating 200,000
# files through Wine takes minutes), for the end-to-end tests that check the main window keeps
# answering while it measures them and that closing it mid-removal ends the process. Replaces
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
# Spread over the categories, a hundred files to a folder; sizes do not matter here.
share() { # <category folder> <percent>
  local dir=$1 folders=$((files * $2 / 100 / 100))
  seq -f "$dir/%g" 0 $((folders - 1)) | xargs -d '\n' mkdir -p
  seq 0 $((folders - 1)) | while read -r d; do seq -f "$dir/$d/f%g.dat" 1 100; done |
    xargs -d '\n' touch
}
share "$storage/image" 50
share "$storage/Cache" 20
share "$storage/video" 10
share "$storage/File" 10
share "$storage/CustomEmotion" 5
share "$storage/Sns/Cache" 5
# Right in the cache folder, so a removal of the cache row takes it first: the shutdown test
# closes the window once it is gone, with the removal well under way.
touch "$storage/Cache/marker"
# The folders WeChat 2019 and earlier left, for the old-version cleaner.
for d in Image Video Attachment CustomEmoV1 CustomEmotions FavTemp Files HDHeadImage Data; do
  mkdir -p "$account/$d" && touch "$account/$d/a" "$account/$d/b"
done
