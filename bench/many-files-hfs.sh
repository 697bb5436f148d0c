#!/usr/bin/env bash
# A 1,000 MB HFS volume made with hfsutils (400 folders of 100 small text
# files: 40,000 files), kept in $BENCH_CACHE (build/bench-cache by default)
# since hcopy takes minutes (ZORV names another zorv binary to measure); then, in one run, the median wall time and the
# median peak memory of 5 runs of (alternating, each after a sync):
#   zorv analyze -f (text), zorv analyze -f into a JSON file,
#   hmount + hls -R on a scratch copy (hfsutils writes to what it mounts),
#   zorv convert to-device + sync, and cp + sync of the volume,
# with zorv's time over its peer's.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v hformat >/dev/null || missing+=(hfsutils)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# ZORV names a zorv binary to measure instead of building one in BUILD_DIR.
build=${BUILD_DIR:-build}
if [ -z "${ZORV:-}" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target zorv >/dev/null
fi
zorv=$(realpath "${ZORV:-$build/zorv}")
cache=$(realpath -m "${BENCH_CACHE:-$build/bench-cache}")
mkdir -p "$cache"
runs=5
work=$(mktemp -d "$cache/run-XXXXXX")
trap 'rm -rf "$work"' EXIT
# hfsutils keeps its current volume in ~/.hcwd.
export HOME="$work/home"
mkdir -p "$HOME"

volume="$cache/many-files.hfs"
if [ ! -f "$volume" ]; then
  echo "building $volume (40,000 files; a few minutes)..."
  partial="$volume.partial"
  rm -f "$partial"
  truncate -s 1000M "$partial"
  hformat -l "Many Files" "$partial" >/dev/null
  sources="$work/sources"
  mkdir -p "$sources"
  for file in $(seq -w 1 100); do
    printf 'Note %s: a few words of text in a small file.\n' "$file" >"$sources/note$file.txt"
  done
  for folder in $(seq -w 1 400); do
    hmkdir ":Folder $folder"
    # One hcopy per folder: many sources into one folder.
    hcopy -t "$sources"/*.txt ":Folder $folder:"
  done
  humount
  mv "$partial" "$volume"
fi

# Wall time (ms) and peak resident memory (KB) of one run of a shell command.
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/peak" sh -c "$1" >/dev/null
  end=$(date +%s%N)
  echo "$(((end - start) / 1000000)) $(cat "$work/peak")"
}

median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }

scratch="$work/scratch.hfs"
cp --sparse=always "$volume" "$scratch"

names=("zorv analyze -f (text)" "zorv analyze -f (JSON)" "hmount + hls -R" "zorv convert to-device + sync" "cp + sync")
commands=(
  "'$zorv' analyze -f '$volume'"
  "'$zorv' analyze -f '$volume' '$work/report.json'"
  "hmount '$scratch' >/dev/null && hls -R"
  "'$zorv' convert to-device '$volume' '$work/device.hda' && sync"
  "cp '$volume' '$work/copy.hfs' && sync"
)

# The runs of the commands alternate, and each starts with nothing left to
# write back to the disk (the scratch copy, an earlier conversion), so that
# neither the machine's drift nor one command's writing falls on another.
declare -A times peaks
for index in "${!names[@]}"; do : >"$work/samples-$index"; done
for _ in $(seq "$runs"); do
  for index in "${!names[@]}"; do
    rm -f "$work/device.hda" "$work/copy.hfs"
    sync
    measure "${commands[$index]}" >>"$work/samples-$index"
  done
done
for index in "${!names[@]}"; do
  times[$index]=$(cut -d' ' -f1 "$work/samples-$index" | median)
  peaks[$index]=$(cut -d' ' -f2 "$work/samples-$index" | median)
done

zorvItems=$("$zorv" analyze -f "$volume" | sed -n '/^File Hierarchy of volume/,$p' | tail -n +2 | wc -l)
echo "volume: $volume, $(du -m --apparent-size "$volume" | cut -f1) MB ($(du -m "$volume" | cut -f1) MB allocated), $zorvItems items; medians of $runs runs"
echo
printf '%-32s %10s %12s\n' "command" "wall time" "peak memory"
for index in "${!names[@]}"; do
  awk -v name="${names[$index]}" -v time="${times[$index]}" -v peak="${peaks[$index]}" \
    'BEGIN { printf "%-32s %7d ms %9.1f MB\n", name, time, peak / 1024 }'
done
ratio() { awk -v a="${times[$1]}" -v b="${times[$2]}" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }'; }
echo
echo "analyze -f (text) / hmount + hls -R:       $(ratio 0 2)"
echo "analyze -f (JSON) / hmount + hls -R:       $(ratio 1 2)"
echo "convert to-device + sync / cp + sync:      $(ratio 3 4)"
