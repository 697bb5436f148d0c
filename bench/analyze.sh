#!/usr/bin/env bash
# Times `zorv analyze` and `zorv analyze -f` on the 1.1 GB HFS volume of the
# shared corpus (hfs/im-Saved_HD.dsk.zip, unzipped into a temporary folder)
# against `hls -R` of hfsutils on a scratch copy of the same volume (hfsutils
# writes to what it mounts), and prints the median wall time (hyperfine) and
# the median peak memory (/usr/bin/time -v) of three runs of each.
set -euo pipefail
cd "$(dirname "$0")/.."

archive=../shared/corpus/hfs/im-Saved_HD.dsk.zip
if [ ! -f "$archive" ]; then
  echo "bench/analyze.sh: skipped, $archive is absent (the shared corpus lies next to the checkout)."
  exit 0
fi

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
[ -x /usr/bin/time ] || missing+=(time)
command -v hls >/dev/null || missing+=(hfsutils)
command -v unzip >/dev/null || missing+=(unzip)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

runs=3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target zorv >/dev/null
zorv=$(realpath "$build/zorv")

unzip -q "$archive" "Saved HD.dsk" -d "$work"
volume="$work/Saved HD.dsk"
scratch="$work/scratch.dsk"
cp "$volume" "$scratch"
# hfsutils keeps its current volume in ~/.hcwd.
export HOME="$work/home"
mkdir -p "$HOME"
hmount "$scratch" >/dev/null

# The last row is zorv's process start-up alone (loading its shared
# libraries), for scale.
names=("zorv analyze" "zorv analyze -f" "hls -R" "zorv --version")
commands=(
  "$zorv analyze '$volume'"
  "$zorv analyze -f '$volume'"
  "hls -R"
  "$zorv --version"
)

# The listings agree: every item zorv reports is one hls lists.
zorvItems=$("$zorv" analyze -f "$volume" | sed -n '/^File Hierarchy of volume/,$p' | tail -n +2 | wc -l)
hlsItems=$(hls -R -a | grep -cv -e '^$' -e ':$')
echo "items listed: zorv analyze -f $zorvItems, hls -R -a $hlsItems"

# No shell between hyperfine and the commands: they take milliseconds.
arguments=()
for index in "${!names[@]}"; do arguments+=(-n "${names[$index]}" "${commands[$index]}"); done
hyperfine -N --warmup 1 --runs "$runs" --style none --export-csv "$work/times.csv" "${arguments[@]}" >/dev/null

# The median of the peak resident sizes (kilobytes) of `runs` runs.
peakMemory() {
  for _ in $(seq "$runs"); do
    /usr/bin/time -v sh -c "$1 >/dev/null" 2>&1 | awk '/Maximum resident set size/ {print $6}'
  done | sort -n | sed -n "$(((runs + 1) / 2))p"
}

size=$(stat -c %s "$volume")
awk -v size="$size" -v runs="$runs" \
  'BEGIN { printf "\nvolume: Saved HD.dsk, %d bytes (%.1f MB); medians of %d runs\n\n", size, size / 1048576, runs }'
printf '%-18s %14s %18s\n' "command" "wall time" "peak memory"
for index in "${!names[@]}"; do
  # hyperfine's CSV: command,mean,stddev,median,user,system,min,max (seconds).
  median=$(awk -F, -v name="${names[$index]}" 'NR > 1 && $1 == name {print $4}' "$work/times.csv")
  peak=$(peakMemory "${commands[$index]}")
  awk -v name="${names[$index]}" -v median="$median" -v peak="$peak" \
    'BEGIN { printf "%-18s %11.1f ms %15.1f MB\n", name, median * 1000, peak / 1024 }'
done
