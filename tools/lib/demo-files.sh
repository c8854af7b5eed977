# Sparse made-up files for the demo and measurement data generators. Source it; do not run it.
# `file` only notes a file; `write_files` creates them all at once (one mkdir and one truncate per
# size rather than two processes per file).

declare -A demo_by_size=()
demo_dirs=()

# file <path> <size>: a file of the given logical size (k/M/G suffixes as truncate takes them).
file() {
  demo_dirs+=("${1%/*}")
  demo_by_size[$2]+="$1"$'\n'
}

write_files() {
  local size
  [ ${#demo_dirs[@]} -eq 0 ] && return 0
  printf '%s\0' "${demo_dirs[@]}" | sort -zu | xargs -0 mkdir -p
  for size in "${!demo_by_size[@]}"; do
    printf '%s' "${demo_by_size[$size]}" | tr '\n' '\0' | xargs -0 truncate -s "$size"
  done
  demo_dirs=()
  demo_by_size=()
}

# months <folder> <first YYYY-MM> <count> <size per file> <files per month>
months() {
  local dir=$1 y=${2%-*} m=${2#*-} n=$3 size=$4 per=$5 i j name leaf
  m=$((10#$m))
  for ((i = 0; i < n; i++)); do
    printf -v name '%04d-%02d' "$y" "$m"
    for ((j = 1; j <= per; j++)); do
      printf -v leaf '%08x' $((i * 131 + j * 7919))
      file "$dir/$name/$leaf" "$size"
    done
    m=$((m + 1))
    if [ $m -gt 12 ]; then m=1; y=$((y + 1)); fi
  done
}

# chat <name>: prints a chat's folder name, 32 hex digits as WeChat names them.
chat() {
  printf '%s' "$1" | md5sum | cut -c1-32
}

# hex32 <number>: sets $hex to 32 hex digits made from a number, for file names (no process).
hex32() {
  printf -v hex '%08x%08x%08x%08x' $(($1 * 2654435761 % 4294967296)) $(($1 * 40503 % 4294967296)) \
    $(($1 * 97 + 13)) $(($1 ^ 0x5bd1e995))
}
